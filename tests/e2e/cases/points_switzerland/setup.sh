# The shipped table of points of one country, as a planner brings it.
cp "$(dirname "$0")/../../../../bench/data/geonames-cities/cities_CH.csv" .
