#include "report/result_files.h"

#include "common/run_options.h"
#include "report/result_centres.h"
#include "report/result_csv.h"
#include "report/result_geojson.h"
#include "report/result_json.h"
#include "report/result_svg.h"

void writeResultFiles() {
  if (!runOptions.jsonFile.empty())
    writeResultJson(runOptions.jsonFile);
  if (!runOptions.csvFile.empty())
    writeResultCsv(runOptions.csvFile);
  if (!runOptions.svgFile.empty())
    writeResultSvg(runOptions.svgFile);
  if (!runOptions.geojsonFile.empty())
    writeResultGeojson(runOptions.geojsonFile);
  if (!runOptions.centresFile.empty())
    writeCentresSummary(runOptions.centresFile);
}
