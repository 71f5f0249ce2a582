// A model file made into a kvd scene file beside its images: read, cameras
// placed, images made into files the host shows, the kvd file written under
// a temporary name, the images put in place, and the kvd file renamed into
// place last, so it never names an image that is not there. Whatever fails
// leaves no kvd file and no image behind.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/models/ModelRead.h"
#include "writer/KvdFileWriter.h"

enum class ModelConversionOutcome {
    Written,
    CannotRead,    // the input is no model the tool reads (error says why)
    CannotWrite,   // an output could not be written (error says why)
};

struct ModelConversionReport {
    ModelConversionOutcome outcome = ModelConversionOutcome::CannotRead;
    std::string error;
    std::vector<std::string> warnings;   // left out or changed on purpose
    std::vector<std::string> damage;     // damaged parts of the input, left out
    size_t imagesLeftOut = 0;
    size_t imagesWritten = 0;
    size_t materials = 0;
    size_t cameras = 0;
    kvdfile::WriteResult written;        // counts and the writer's notes
};

class ProgressSink;

// progress, when given, hears of the bytes written out of about as many as
// the scene's geometry takes.
ModelConversionReport ConvertModelToKvd(const std::filesystem::path& in, ModelKind kind,
                                        const std::filesystem::path& out, const AxisOptions& axes,
                                        ProgressSink* progress = nullptr);
