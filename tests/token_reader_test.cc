#include "common/token_reader.h"

#include <gtest/gtest.h>

TEST(TokenReaderTest, Placeholder) { SUCCEED(); }
