// A host that checks the rules every import keeps, whatever bytes it reads,
// and records what the import sent it.
//
// The fuzzer, the truncation sweep and the hostile-file tests run imports
// through it. A broken rule is kept as a violation text rather than thrown,
// so a caller can report every broken rule of one import at once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "reader/MessageSink.h"
#include "tools/standin/SceneHost.h"

struct HostCall {
    enum class Kind : uint8_t {
        StartImport,
        EndImport,
        SetDefaultCamera,
        AddCamera,
        BeginObject,
        BeginSurface,
        AddTriangle,
        EndSurface,
        EndObject,
        Message,
    };

    HostCall() = default;
    explicit HostCall(Kind callKind, std::string callText = {})
        : kind(callKind), text(std::move(callText))
    {
    }

    Kind kind = Kind::StartImport;
    // Camera name, message text, or the 728 bytes of a surface's material.
    std::string text;
    // Bit patterns of the doubles: a camera's eye, target and angle, or a
    // triangle's three corners. Bits, so NaN compares equal to itself.
    std::array<uint64_t, 9> values{};

    bool operator==(const HostCall&) const = default;
};

struct CheckingHostOptions {
    bool refuseStart = false;
    // Every n-th object or surface (counting from 1) is refused; 0: none.
    int refuseEveryObject = 0;
    int refuseEverySurface = 0;
    // Keeps every call in calls(); the fuzzer turns it off for speed.
    bool keepCalls = true;
};

class CheckingHost : public SceneHost, public MessageSink {
public:
    explicit CheckingHost(CheckingHostOptions options = {});

    int StartImport() override;
    void EndImport() override;
    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override;
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;
    int EndSurface() override;
    int EndObject() override;
    void ShowMessage(ImportMessage message) override;

    // Checks what can only be judged once the session is over (the session
    // calls GB_EndImport itself, after the reader). Call once, at the end.
    void FinishSession();

    const std::vector<std::string>& violations() const { return violations_; }
    // All violations on one line each, for a failure message.
    std::string ViolationReport() const;
    const std::vector<HostCall>& calls() const { return calls_; }
    // The calls without what closes early (GB_EndSurface, GB_EndObject,
    // GB_EndImport) and without the damaged-file message: what remains of a
    // cut file's calls is a prefix of the whole file's.
    std::vector<HostCall> OpeningCalls() const;

    int startImports() const { return startImports_; }
    int endImports() const { return endImports_; }
    int objectsBegun() const { return objectsBegun_; }
    int triangles() const { return triangles_; }
    int MessageCount(ImportMessage message) const;
    // One digest per object begun: its surface's material and triangles,
    // 0 for a refused object. Lets two imports of one file be compared.
    const std::vector<uint64_t>& objectDigests() const { return objectDigests_; }

private:
    void Violation(std::string text);
    void Record(HostCall call);
    // The import is running: started, not ended.
    bool RequireImport(const char* call);
    int Camera(HostCall::Kind kind, const char* name, const Point3d& eye, const Point3d& target,
               double fov);
    static bool Refuse(int every, int count) { return every > 0 && count % every == 0; }

    CheckingHostOptions options_;
    std::vector<std::string> violations_;
    std::vector<HostCall> calls_;
    std::vector<ImportMessage> messages_;
    std::vector<uint64_t> objectDigests_;
    int startImports_ = 0;
    int endImports_ = 0;
    int objectsBegun_ = 0;
    int surfacesBegun_ = 0;
    int triangles_ = 0;
    bool started_ = false;
    bool ended_ = false;
    bool objectOpen_ = false;
    bool surfaceOpen_ = false;
    bool finished_ = false;
    // The first corner of the open object: every corner of one mesh lies in
    // one array of points, so all lie a whole number of points from it.
    const Point3d* firstCorner_ = nullptr;
};
