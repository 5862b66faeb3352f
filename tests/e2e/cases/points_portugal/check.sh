bash "$(dirname "$0")/../../check_results.sh" "$1" r.geojson r.json
