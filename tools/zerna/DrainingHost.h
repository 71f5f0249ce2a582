// The trace host as zerna installs it while capturing: every host call first
// takes in what the plug-in printed before it, so the messages it showed land
// in the trace ahead of the call.
#pragma once

#include "tools/standin/TraceHost.h"
#include "tools/zerna/StderrCapture.h"

class DrainingHost final : public SceneHost {
public:
    DrainingHost(TraceHost& trace, StderrCapture& capture) : trace_(trace), capture_(capture) {}

    int SceneEmpty() override
    {
        auto lock = capture_.Drain();
        return trace_.SceneEmpty();
    }
    int StartImport() override
    {
        auto lock = capture_.Drain();
        return trace_.StartImport();
    }
    void EndImport() override
    {
        auto lock = capture_.Drain();
        trace_.EndImport();
    }
    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override
    {
        auto lock = capture_.Drain();
        return trace_.SetDefaultCamera(name, eye, target, fov);
    }
    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override
    {
        auto lock = capture_.Drain();
        return trace_.AddCamera(name, eye, target, fov);
    }
    int BeginObject() override
    {
        auto lock = capture_.Drain();
        return trace_.BeginObject();
    }
    int BeginSurface(const tagMaterial& material) override
    {
        auto lock = capture_.Drain();
        return trace_.BeginSurface(material);
    }
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override
    {
        auto lock = capture_.Drain();
        return trace_.AddTriangle(a, b, c);
    }
    int EndSurface() override
    {
        auto lock = capture_.Drain();
        return trace_.EndSurface();
    }
    int EndObject() override
    {
        auto lock = capture_.Drain();
        return trace_.EndObject();
    }

private:
    TraceHost& trace_;
    StderrCapture& capture_;
};
