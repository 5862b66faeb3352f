#!/bin/sh
mkdir solucao.txt
