#include "tests/support/CheckingHost.h"

#include <bit>
#include <cstring>


namespace {

constexpr uint64_t kDigestStart = 0xcbf29ce484222325ull;

uint64_t Mix(uint64_t digest, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        digest = (digest ^ bytes[i]) * 0x100000001b3ull;
    return digest;
}

bool HasNul(const char* field, size_t size)
{
    return std::memchr(field, '\0', size) != nullptr;
}

}  // namespace

CheckingHost::CheckingHost(CheckingHostOptions options) : options_(options) {}

void CheckingHost::Violation(std::string text)
{
    // One broken rule tends to repeat per call; the first few tell the story.
    if (violations_.size() < 20)
        violations_.push_back(std::move(text));
}

void CheckingHost::Record(HostCall call)
{
    if (options_.keepCalls)
        calls_.push_back(std::move(call));
}

bool CheckingHost::RequireImport(const char* call)
{
    if (started_ && !ended_)
        return true;
    Violation(std::string(call) + (started_ ? " after GB_EndImport" : " before GB_StartImport"));
    return false;
}

int CheckingHost::StartImport()
{
    ++startImports_;
    if (startImports_ > 1)
        Violation("GB_StartImport called again");
    if (ended_)
        Violation("GB_StartImport after GB_EndImport");
    started_ = true;
    Record(HostCall(HostCall::Kind::StartImport));
    return options_.refuseStart ? 0 : 1;
}

void CheckingHost::EndImport()
{
    ++endImports_;
    if (endImports_ > 1)
        Violation("GB_EndImport called again");
    if (objectOpen_ || surfaceOpen_)
        Violation("GB_EndImport with an object or surface open");
    ended_ = true;
    Record(HostCall(HostCall::Kind::EndImport));
}

int CheckingHost::Camera(HostCall::Kind kind, const char* name, const Point3d& eye,
                         const Point3d& target, double fov)
{
    RequireImport("camera");
    if (objectOpen_)
        Violation("camera inside an object");
    if (name == nullptr || !HasNul(name, 32))
        Violation("camera name without its NUL within 32 bytes");
    if (fov != 22.0)
        Violation("camera angle other than 22.0");
    HostCall call(kind, name != nullptr ? std::string(name) : std::string());
    const double values[7] = {eye.x, eye.y, eye.z, target.x, target.y, target.z, fov};
    for (size_t i = 0; i < 7; ++i)
        call.values[i] = std::bit_cast<uint64_t>(values[i]);
    Record(std::move(call));
    return 1;
}

int CheckingHost::SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target,
                                   double fov)
{
    return Camera(HostCall::Kind::SetDefaultCamera, name, eye, target, fov);
}

int CheckingHost::AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return Camera(HostCall::Kind::AddCamera, name, eye, target, fov);
}

int CheckingHost::BeginObject()
{
    RequireImport("GB_BeginObject");
    if (objectOpen_)
        Violation("GB_BeginObject inside an open object");
    ++objectsBegun_;
    Record(HostCall(HostCall::Kind::BeginObject));
    if (Refuse(options_.refuseEveryObject, objectsBegun_)) {
        objectDigests_.push_back(0);
        return 0;
    }
    objectOpen_ = true;
    firstCorner_ = nullptr;
    objectDigests_.push_back(kDigestStart);
    return 1;
}

int CheckingHost::BeginSurface(const tagMaterial& material)
{
    RequireImport("GB_BeginSurface");
    if (!objectOpen_)
        Violation("GB_BeginSurface outside an object");
    if (surfaceOpen_)
        Violation("GB_BeginSurface inside an open surface");
    if (!HasNul(material.name, sizeof material.name) ||
        !HasNul(material.firstTexture, sizeof material.firstTexture) ||
        !HasNul(material.secondTexture, sizeof material.secondTexture))
        Violation("material text without its NUL inside its field");
    ++surfacesBegun_;
    Record(HostCall(HostCall::Kind::BeginSurface,
                    std::string(reinterpret_cast<const char*>(&material), sizeof material)));
    if (Refuse(options_.refuseEverySurface, surfacesBegun_)) {
        if (!objectDigests_.empty())
            objectDigests_.back() = 0;
        return 0;
    }
    surfaceOpen_ = true;
    if (!objectDigests_.empty())
        objectDigests_.back() = Mix(objectDigests_.back(), &material, sizeof material);
    return 1;
}

int CheckingHost::AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c)
{
    RequireImport("GB_AddTriangle");
    if (!surfaceOpen_)
        Violation("GB_AddTriangle outside an open surface");
    ++triangles_;
    HostCall call(HostCall::Kind::AddTriangle);
    const Point3d* corners[3] = {a, b, c};
    for (size_t i = 0; i < 3; ++i) {
        const Point3d* corner = corners[i];
        if (corner == nullptr) {
            Violation("GB_AddTriangle with a null corner");
            return 1;
        }
        if (firstCorner_ == nullptr)
            firstCorner_ = corner;
        auto offset = reinterpret_cast<intptr_t>(corner) - reinterpret_cast<intptr_t>(firstCorner_);
        if (offset % static_cast<intptr_t>(sizeof(Point3d)) != 0)
            Violation("triangle corner outside its mesh's array of points");
        // Reading the corner lets AddressSanitizer see a pointer that is not
        // one of the mesh's live points.
        call.values[3 * i] = std::bit_cast<uint64_t>(corner->x);
        call.values[3 * i + 1] = std::bit_cast<uint64_t>(corner->y);
        call.values[3 * i + 2] = std::bit_cast<uint64_t>(corner->z);
    }
    if (surfaceOpen_ && !objectDigests_.empty())
        objectDigests_.back() = Mix(objectDigests_.back(), call.values.data(), sizeof call.values);
    Record(std::move(call));
    return 1;
}

int CheckingHost::EndSurface()
{
    RequireImport("GB_EndSurface");
    if (!surfaceOpen_)
        Violation("GB_EndSurface without an open surface");
    surfaceOpen_ = false;
    Record(HostCall(HostCall::Kind::EndSurface));
    return 1;
}

int CheckingHost::EndObject()
{
    RequireImport("GB_EndObject");
    if (!objectOpen_)
        Violation("GB_EndObject without an open object");
    if (surfaceOpen_)
        Violation("GB_EndObject with its surface open");
    objectOpen_ = false;
    surfaceOpen_ = false;
    Record(HostCall(HostCall::Kind::EndObject));
    return 1;
}

void CheckingHost::ShowMessage(ImportMessage message)
{
    if (MessageCount(message) > 0)
        Violation(std::string("message shown twice: ") + MessageMeaning(message));
    if (objectOpen_)
        Violation("message shown inside an object");
    messages_.push_back(message);
    Record(HostCall(HostCall::Kind::Message, MessageText(message)));
}

void CheckingHost::FinishSession()
{
    if (finished_)
        return;
    finished_ = true;
    if (startImports_ > 0 && endImports_ != 1)
        Violation("GB_EndImport not called exactly once");
    if (objectOpen_ || surfaceOpen_)
        Violation("object or surface left open");
    if (options_.keepCalls && endImports_ > 0 && calls_.back().kind != HostCall::Kind::EndImport)
        Violation("a call after GB_EndImport");
}

std::string CheckingHost::ViolationReport() const
{
    std::string report;
    for (const std::string& violation : violations_)
        report += violation + "\n";
    return report;
}

std::vector<HostCall> CheckingHost::OpeningCalls() const
{
    std::vector<HostCall> opening;
    for (const HostCall& call : calls_) {
        switch (call.kind) {
        case HostCall::Kind::EndSurface:
        case HostCall::Kind::EndObject:
        case HostCall::Kind::EndImport:
            continue;
        case HostCall::Kind::Message:
            if (call.text == MessageText(ImportMessage::FileDamaged))
                continue;
            break;
        default:
            break;
        }
        opening.push_back(call);
    }
    return opening;
}

int CheckingHost::MessageCount(ImportMessage message) const
{
    int count = 0;
    for (const ImportMessage shown : messages_)
        count += shown == message ? 1 : 0;
    return count;
}
