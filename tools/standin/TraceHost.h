// A host that answers like a cooperative host (or refuses where told to) and
// records every call as one JSON Lines trace line, in the order of the calls.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tools/standin/SceneHost.h"

struct HostRefusals {
    bool sceneNotEmpty = false;   // GB_SceneEmpty answers 0
    bool refuseStart = false;     // GB_StartImport answers 0
    int refuseObject = 0;         // the N-th GB_BeginObject of the run (from 1) answers 0
    int refuseSurface = 0;        // the N-th GB_BeginSurface of the run (from 1) answers 0
};

class TraceHost : public SceneHost {
public:
    // Each finished line (without its newline) goes to writeLine.
    using LineWriter = std::function<void(std::string_view line)>;
    TraceHost(LineWriter writeLine, HostRefusals refusals);

    int SceneEmpty() override;
    int StartImport() override;
    void EndImport() override;
    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override;
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;
    int EndSurface() override;
    int EndObject() override;

    // {"message":S,"hex":H} for a text shown to the user (GBK bytes).
    void ShowMessage(const char* text);
    // {"go":N}, zerna's last line of a session.
    void RecordGo(int result);

private:
    LineWriter writeLine_;
    HostRefusals refusals_;
    int objectsBegun_ = 0;
    int surfacesBegun_ = 0;
    std::string line_;   // reused for every line
};
