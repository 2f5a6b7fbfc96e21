// brumex-tool survey: survey tables for the office.
#include "ToolCommand.h"

#include "survey/SurveyExport.h"

#include <QFile>
#include <stdexcept>

namespace {

const char* const Usage = "  survey export TABLE.DB OUT.csv|OUT.gpx [--separator C]\n"
                          "      the survey records as CSV (separator ';' unless chosen; UTF-8), or the\n"
                          "      records as waypoints and the track table beside TABLE.DB as a GPX 1.1 track";

int run(const std::vector<std::string>& args)
{
    if (args.size() < 3 || args[0] != "export")
        throw std::invalid_argument(std::string("usage:\n") + Usage);
    TCsvOptions options;
    for (std::size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--separator" && i + 1 < args.size()
            && QString::fromStdString(args[i + 1]).size() == 1) {
            options.separator = QString::fromStdString(args[++i]).front();
            continue;
        }
        throw std::invalid_argument("survey export: unknown option " + args[i]);
    }
    ExportSurvey(QFile::decodeName(args[1].c_str()), QFile::decodeName(args[2].c_str()), options);
    return 0;
}

const ToolCommandRegistrar registrar("survey", run, Usage);

} // namespace
