#!/usr/bin/env bash
# Reads the result files of a run back with the programs a user would read
# them with, and checks them against the run's report:
#
#   check_results.sh STDOUT GEOJSON [JSON]
#
# The GeoJSON through GDAL's ogrinfo: one feature per vertex, and the demand
# of the covered features sums to "Populacao Atend."; the JSON through
# Python's parser: the same served demand, and the centres' covered demands
# sum to it.
set -u
report=$1
geojson=$2
json=${3:-}
status=0
fail() { echo "FAIL: $*"; status=1; }
vertices=$(sed -n 's/^Vertices *: *//p' "$report")
served=$(sed -n 's/^Populacao Atend\. *: *//p' "$report")
layer=$(basename "$geojson" .geojson)
features=$(ogrinfo -so -al "$geojson" 2>&1 | sed -n 's/^Feature Count: //p')
[ "$features" = "$vertices" ] || fail "ogrinfo counts '$features' features, the report $vertices vertices"
covered=$(ogrinfo -q "$geojson" -sql "SELECT SUM(demand) AS s FROM \"$layer\" WHERE covered = 1" 2>&1 |
  sed -n 's/^ *s ([A-Za-z0-9]*) = //p')
[ "$covered" = "$served" ] || fail "ogrinfo sums '$covered' covered demand, the report $served"
if [ -n "$json" ]; then
  python3 - "$json" "$served" <<'PY' || status=1
import json, sys
doc = json.load(open(sys.argv[1]))
served = int(sys.argv[2])
ok = doc["report"]["coveredDemand"] == served and \
    sum(c["coveredDemand"] for c in doc["centres"]) == served
if not ok:
    print("FAIL: the JSON does not serve", served)
sys.exit(0 if ok else 1)
PY
fi
exit $status
