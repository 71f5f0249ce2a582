#include "tools/models/ModelConversion.h"

#include <algorithm>
#include <optional>

#include "tools/export/ReplacingFile.h"
#include "tools/scene/ImportProgress.h"
#include "tools/export/TemporaryFile.h"
#include "tools/models/ModelCameras.h"
#include "tools/models/ModelFeed.h"
#include "tools/models/ModelImages.h"

namespace {

// The kvd writer's bytes into a file beside the output.
class TemporaryFileOutput final : public kvdfile::ByteOutput {
public:
    explicit TemporaryFileOutput(TemporaryFile& file) : file_(file) {}
    bool Write(const void* data, size_t size) override { return file_.Write(data, size); }
    std::string error() const override { return file_.error(); }

private:
    TemporaryFile& file_;
};

// The writer's bytes out of what the geometry takes (12 bytes a point and a
// triangle; the rest of a scene is small beside it).
class WrittenBytes final : public kvdfile::WriteProgress {
public:
    WrittenBytes(ProgressSink& sink, const ModelScene& model) : sink_(sink)
    {
        for (const MeshInstance& instance : model.instances)
            total_ += 12 * (instance.mesh->pointCount() + instance.mesh->triangleCount());
    }
    void Written(uint64_t bytes) override { sink_.Update(std::min(bytes, total_), total_); }

private:
    ProgressSink& sink_;
    uint64_t total_ = 1;
};

}  // namespace

ModelConversionReport ConvertModelToKvd(const std::filesystem::path& in, ModelKind kind,
                                        const std::filesystem::path& out, const AxisOptions& axes,
                                        ProgressSink* progress)
{
    ModelConversionReport report;
    ModelReadResult read = ReadModel(in, kind);
    if (!read.model) {
        report.error = read.error;
        return report;
    }
    ModelScene& model = *read.model;
    model.scene.title = in.filename().string();
    // Damage that leaves no mesh leaves nothing worth a file.
    if (!model.damage.empty() && model.instances.empty()) {
        report.damage = model.damage;
        report.warnings = model.warnings;
        report.error = "nothing in it can be converted";
        return report;
    }
    PlaceCameras(model, axes);
    const std::filesystem::path folder = out.parent_path().empty() ? "." : out.parent_path();
    const std::vector<ImageFile> images = PlaceModelImages(model, folder, out.stem().string());

    auto finish = [&](ModelConversionOutcome outcome, std::string error) {
        report.outcome = outcome;
        report.error = std::move(error);
        report.warnings = model.warnings;
        report.damage = model.damage;
        report.imagesLeftOut = model.imagesLeftOut;
        report.materials = std::min(model.scene.materials.size(), kvdfile::kMaxMaterials);
        report.cameras = std::min(model.scene.cameras.size(), kvdfile::kMaxCameras);
        return report;
    };

    TemporaryFile file(out.string());
    if (!file.Create())
        return finish(ModelConversionOutcome::CannotWrite, file.error());
    TemporaryFileOutput output(file);
    ModelFeed feed(model, axes);
    std::optional<WrittenBytes> written;
    if (progress != nullptr)
        written.emplace(*progress, model);
    report.written = kvdfile::WriteKvdScene(model.scene, feed, output, written ? &*written : nullptr);
    if (progress != nullptr)
        progress->Finish();
    if (!report.written.written)
        return finish(ModelConversionOutcome::CannotWrite, report.written.error);
    if (!file.Flush())
        return finish(ModelConversionOutcome::CannotWrite, file.error());
    // The images, each whole under its name, before the file that names them.
    std::vector<std::unique_ptr<ReplacingFile>> placed;
    for (const ImageFile& image : images) {
        auto replacing = std::make_unique<ReplacingFile>((folder / image.fileName).string());
        if (!replacing->Open())
            return finish(ModelConversionOutcome::CannotWrite, replacing->path() + ": " + replacing->error());
        replacing->stream().write(reinterpret_cast<const char*>(image.bytes.data()),
                                  static_cast<std::streamsize>(image.bytes.size()));
        placed.push_back(std::move(replacing));
    }
    for (auto& image : placed) {
        if (!image->Commit())
            return finish(ModelConversionOutcome::CannotWrite, image->path() + ": " + image->error());
    }
    report.imagesWritten = placed.size();
    if (!file.RenameIntoPlace())
        return finish(ModelConversionOutcome::CannotWrite, file.error());
    return finish(ModelConversionOutcome::Written, {});
}
