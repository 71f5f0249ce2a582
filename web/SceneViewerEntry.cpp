// The browser module's one entry: the scene and its images are files of the
// module's in-memory file system (written there by kvd-web.js), and the
// scene is converted and summarised by the kvd tool's own code, exactly as
// `kvd convert FILE OUT.glb` and `kvd info --json FILE` do it.
#include <string>

#include <emscripten/emscripten.h>
#include <nlohmann/json.hpp>

#include "tools/kvd/JobOutput.h"
#include "tools/kvd/SceneConversion.h"
#include "tools/kvd/SceneInfo.h"

namespace {

using nlohmann::json;

// A tool's output as lines, without the line ends.
json Lines(const std::string& text)
{
    json lines = json::array();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

json ToolOutput(int exitCode, const JobOutput& output)
{
    return {{"exitCode", exitCode}, {"output", Lines(output.out())}, {"errors", Lines(output.err())}};
}

}  // namespace

// Converts the scene file at scenePath (its images beside it, as the tool
// finds them) to a .glb at glbPath, then summarises it. Returns one JSON
// document, {"convert": {exitCode, output, errors}, "info": {exitCode,
// errors, document}}, valid until the next call; document is what
// `kvd info --json` prints, null when memory ran out.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kvd_web_convert(const char* scenePath, const char* glbPath)
{
    static std::string result;
    result.clear();
    const std::string scene = scenePath;

    // No progress bar: the page shows its own.
    JobOutput converted;
    const int convertExit = ConvertSceneFile(scene, glbPath, ConvertSettings{}, true, converted);

    JobOutput summarised;
    json info;
    const int infoExit = ReadSceneInfo(scene, {}, true, info, summarised);

    json answer = {{"convert", ToolOutput(convertExit, converted)}, {"info", ToolOutput(infoExit, summarised)}};
    answer["info"]["document"] = std::move(info);
    // Names come from the file: a byte that is not UTF-8 must not stop the answer.
    result = answer.dump(-1, ' ', false, json::error_handler_t::replace);
    return result.c_str();
}
