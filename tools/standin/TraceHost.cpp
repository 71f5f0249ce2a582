// One trace line per call; the line buffer is reused so that long traces
// cost no allocation per triangle.
#include "tools/standin/TraceHost.h"

#include <cstring>
#include <utility>

#include "base/GbkText.h"
#include "tools/standin/TraceText.h"

namespace {

// {"call":"NAME"  (the caller closes the object)
void StartCall(std::string& line, std::string_view name)
{
    line.clear();
    line += "{\"call\":\"";
    line += name;
    line.push_back('"');
}

void AppendResult(std::string& line, int result)
{
    line += ",\"result\":";
    trace::AppendInt(line, result);
    line.push_back('}');
}

// {"call":"NAME","result":R}, returning R.
int Answer(std::string& line, const TraceHost::LineWriter& writeLine, std::string_view call, int result)
{
    StartCall(line, call);
    AppendResult(line, result);
    writeLine(line);
    return result;
}

// {"call":"NAME"}, for calls whose result the plug-in does not look at.
int Note(std::string& line, const TraceHost::LineWriter& writeLine, std::string_view call)
{
    StartCall(line, call);
    line.push_back('}');
    writeLine(line);
    return 1;
}

}  // namespace

TraceHost::TraceHost(LineWriter writeLine, HostRefusals refusals)
    : writeLine_(std::move(writeLine)), refusals_(refusals)
{
    line_.reserve(4096);
}

int TraceHost::SceneEmpty()
{
    return Answer(line_, writeLine_, "GB_SceneEmpty", refusals_.sceneNotEmpty ? 0 : 1);
}

int TraceHost::StartImport()
{
    return Answer(line_, writeLine_, "GB_StartImport", refusals_.refuseStart ? 0 : 1);
}

void TraceHost::EndImport()
{
    Note(line_, writeLine_, "GB_EndImport");
}

namespace {

void AppendCamera(std::string& line, const char* name, const Point3d& eye, const Point3d& target,
                  double fov)
{
    std::string_view bytes(name, std::strlen(name));
    line += ",\"name\":";
    trace::AppendString(line, GbkToUtf8(bytes));
    line += ",\"name_hex\":";
    trace::AppendHex(line, bytes.data(), bytes.size());
    line += ",\"eye\":";
    trace::AppendPoint(line, eye);
    line += ",\"target\":";
    trace::AppendPoint(line, target);
    line += ",\"fov\":";
    trace::AppendDouble(line, fov);
    line.push_back('}');
}

}  // namespace

int TraceHost::SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target,
                                double fov)
{
    StartCall(line_, "GB_SetDefaultCamera");
    AppendCamera(line_, name, eye, target, fov);
    writeLine_(line_);
    return 1;
}

int TraceHost::AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    StartCall(line_, "GB_AddCamera");
    AppendCamera(line_, name, eye, target, fov);
    writeLine_(line_);
    return 1;
}

int TraceHost::BeginObject()
{
    ++objectsBegun_;
    return Answer(line_, writeLine_, "GB_BeginObject", objectsBegun_ == refusals_.refuseObject ? 0 : 1);
}

int TraceHost::BeginSurface(const tagMaterial& material)
{
    ++surfacesBegun_;
    int result = surfacesBegun_ == refusals_.refuseSurface ? 0 : 1;
    StartCall(line_, "GB_BeginSurface");
    line_ += ",\"material_hex\":";
    trace::AppendHex(line_, &material, sizeof material);
    AppendResult(line_, result);
    writeLine_(line_);
    return result;
}

int TraceHost::AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c)
{
    StartCall(line_, "GB_AddTriangle");
    line_ += ",\"a\":";
    trace::AppendPoint(line_, *a);
    line_ += ",\"b\":";
    trace::AppendPoint(line_, *b);
    line_ += ",\"c\":";
    trace::AppendPoint(line_, *c);
    line_.push_back('}');
    writeLine_(line_);
    return 1;
}

int TraceHost::EndSurface()
{
    return Note(line_, writeLine_, "GB_EndSurface");
}

int TraceHost::EndObject()
{
    return Note(line_, writeLine_, "GB_EndObject");
}

void TraceHost::ShowMessage(const char* text)
{
    std::string_view bytes(text, std::strlen(text));
    line_.clear();
    trace::AppendMessageLine(line_, GbkToUtf8(bytes), bytes);
    writeLine_(line_);
}

void TraceHost::RecordGo(int result)
{
    line_.clear();
    line_ += "{\"go\":";
    trace::AppendInt(line_, result);
    line_.push_back('}');
    writeLine_(line_);
}
