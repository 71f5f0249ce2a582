#include "tools/render/SceneRenderer.h"

#include <cmath>
#include <map>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/osmesa.h>

#include "tools/render/ViewProjection.h"

namespace {
// Samples per pixel along each axis.
constexpr int kSupersampling = 2;
// Triangles per draw call: the driver copies what one call uses, so a
// bounded call keeps that copy small for meshes of millions of triangles.
constexpr size_t kTrianglesPerDraw = size_t{1} << 18;
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kTexCoordAttribute = 1;

// Flat lighting needs no normals: the face's direction comes from how the
// eye-space position changes across the pixels of the triangle. The light
// sits at the eye, so a face is brightest when it faces the camera, on
// either side.
constexpr const char* kVertexShader = R"(#version 120
attribute vec3 position;
attribute vec2 texCoord;
uniform mat4 view;
uniform mat4 projection;
varying vec3 eyePosition;
varying vec2 imageCoord;
void main()
{
    vec4 p = view * vec4(position, 1.0);
    eyePosition = p.xyz;
    imageCoord = texCoord;
    gl_Position = projection * p;
}
)";

constexpr const char* kFragmentShader = R"(#version 120
uniform vec3 colour;
uniform sampler2D image;
uniform bool textured;
varying vec3 eyePosition;
varying vec2 imageCoord;
const float ambient = 0.35;
void main()
{
    vec3 normal = cross(dFdx(eyePosition), dFdy(eyePosition));
    float facing = 1.0;
    float normalLength = length(normal);
    float eyeDistance = length(eyePosition);
    if (normalLength > 0.0 && eyeDistance > 0.0)
        facing = abs(dot(normal / normalLength, eyePosition / eyeDistance));
    vec3 base = textured ? texture2D(image, imageCoord).rgb : colour;
    gl_FragColor = vec4(base * (ambient + (1.0 - ambient) * facing), 1.0);
}
)";

class OffscreenContext {
public:
    OffscreenContext(int width, int height)
        : width_(width), height_(height), pixels_(size_t(width) * size_t(height) * 4)
    {
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
        if (context_ != nullptr && !OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
            OSMesaDestroyContext(context_);
            context_ = nullptr;
        }
    }
    ~OffscreenContext()
    {
        if (context_ != nullptr) {
            OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
            OSMesaDestroyContext(context_);
        }
    }
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool ready() const { return context_ != nullptr; }
    // Rows from the bottom, RGBA.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
    OSMesaContext context_ = nullptr;
};

GLuint CompileShader(GLenum kind, const char* source, std::string& error)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        error = std::string("shader does not compile: ") + log;
        return 0;
    }
    return shader;
}

GLuint LinkProgram(std::string& error)
{
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader, error);
    const GLuint fragment = vertex ? CompileShader(GL_FRAGMENT_SHADER, kFragmentShader, error) : 0;
    if (!fragment)
        return 0;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, kPositionAttribute, "position");
    glBindAttribLocation(program, kTexCoordAttribute, "texCoord");
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        error = "shader program does not link";
        return 0;
    }
    return program;
}

// The texture of an image, made once however many meshes show it; 0 when
// the driver cannot hold it (the mesh then shows its colour).
class TextureCache {
public:
    GLuint TextureOf(const RgbaImage& image)
    {
        auto [where, inserted] = textures_.try_emplace(&image, 0);
        if (!inserted)
            return where->second;
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        if (image.width <= 0 || image.height <= 0 || image.width > largest || image.height > largest ||
            image.pixels.size() < size_t(image.width) * size_t(image.height) * 4)
            return 0;
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // Rows go in from the top, so texture row 0 is the image's top row,
        // as the box projection's coordinates expect.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.pixels.data());
        where->second = texture;
        return texture;
    }

private:
    std::map<const RgbaImage*, GLuint> textures_;
};

bool CornerIsFinite(std::span<const float> positions, uint32_t vertex)
{
    const float* p = &positions[size_t{vertex} * 3];
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// The mesh's triangles that can be drawn: every corner a vertex the mesh
// has, at a finite position. The mesh's own indices when all can be, else
// a copy of the drawable ones in kept.
std::span<const uint32_t> DrawableIndices(const RenderMesh& mesh, std::vector<uint32_t>& kept, uint64_t& skipped)
{
    const size_t vertexCount = mesh.positions.size() / 3;
    const size_t triangleCount = mesh.indices.size() / 3;
    auto drawable = [&](size_t t) {
        for (size_t c = 0; c < 3; ++c) {
            const uint32_t vertex = mesh.indices[t * 3 + c];
            if (vertex >= vertexCount || !CornerIsFinite(mesh.positions, vertex))
                return false;
        }
        return true;
    };
    size_t firstBad = 0;
    while (firstBad < triangleCount && drawable(firstBad))
        ++firstBad;
    if (firstBad == triangleCount)
        return mesh.indices.first(triangleCount * 3);
    kept.assign(mesh.indices.begin(), mesh.indices.begin() + static_cast<ptrdiff_t>(firstBad * 3));
    for (size_t t = firstBad; t < triangleCount; ++t) {
        if (drawable(t))
            kept.insert(kept.end(), &mesh.indices[t * 3], &mesh.indices[t * 3] + 3);
        else
            ++skipped;
    }
    return kept;
}

void DrawMesh(const RenderMesh& mesh, GLuint program, TextureCache& textures, uint64_t& skipped)
{
    std::vector<uint32_t> kept;
    const std::span<const uint32_t> indices = DrawableIndices(mesh, kept, skipped);
    if (indices.empty())
        return;
    const size_t vertexCount = mesh.positions.size() / 3;
    GLuint texture = 0;
    if (mesh.texture != nullptr && mesh.texCoords.size() >= vertexCount * 2)
        texture = textures.TextureOf(*mesh.texture);

    glUniform3f(glGetUniformLocation(program, "colour"), mesh.colour[0], mesh.colour[1], mesh.colour[2]);
    glUniform1i(glGetUniformLocation(program, "textured"), texture != 0);
    glVertexAttribPointer(kPositionAttribute, 3, GL_FLOAT, GL_FALSE, 0, mesh.positions.data());
    glEnableVertexAttribArray(kPositionAttribute);
    if (texture != 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 0, mesh.texCoords.data());
        glEnableVertexAttribArray(kTexCoordAttribute);
    } else {
        glDisableVertexAttribArray(kTexCoordAttribute);
        glVertexAttrib2f(kTexCoordAttribute, 0.0f, 0.0f);
    }
    for (size_t first = 0; first < indices.size(); first += kTrianglesPerDraw * 3) {
        const size_t count = std::min(kTrianglesPerDraw * 3, indices.size() - first);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices.data() + first);
    }
}

// The mean of each 2x2 block, rows turned to run from the top.
RgbImage Downsample(const std::vector<uint8_t>& samples, int width, int height)
{
    RgbImage picture{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
    const size_t sampleRow = size_t(width) * kSupersampling * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* bottom = &samples[size_t(height - 1 - y) * kSupersampling * sampleRow];
        uint8_t* out = &picture.pixels[size_t(y) * size_t(width) * 3];
        for (int x = 0; x < width; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                const size_t at = size_t(x) * kSupersampling * 4 + size_t(channel);
                const unsigned sum = bottom[at] + bottom[at + 4] + bottom[sampleRow + at] + bottom[sampleRow + at + 4];
                out[x * 3 + channel] = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return picture;
}
}  // namespace

RenderOutcome RenderPicture(const RenderScene& scene, const RenderCamera& camera, int width, int height)
{
    RenderOutcome outcome;
    if (width <= 0 || height <= 0 || width > kLargestPictureSide || height > kLargestPictureSide) {
        outcome.error = "picture size out of range";
        return outcome;
    }
    const int sampleWidth = width * kSupersampling;
    const int sampleHeight = height * kSupersampling;
    OffscreenContext context(sampleWidth, sampleHeight);
    if (!context.ready()) {
        outcome.error = "no off-screen drawing context";
        return outcome;
    }
    const GLuint program = LinkProgram(outcome.error);
    if (program == 0)
        return outcome;

    const ViewProjection view =
        MakeViewProjection(camera, double(width) / double(height), MeasureScene(scene));
    glViewport(0, 0, sampleWidth, sampleHeight);
    glClearColor(kBackgroundColour[0] / 255.0f, kBackgroundColour[1] / 255.0f, kBackgroundColour[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "view"), 1, GL_FALSE, view.view.data());
    glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE, view.projection.data());
    glUniform1i(glGetUniformLocation(program, "image"), 0);

    TextureCache textures;
    for (const RenderMesh& mesh : scene.meshes)
        DrawMesh(mesh, program, textures, outcome.trianglesSkipped);
    glFinish();
    if (glGetError() == GL_OUT_OF_MEMORY) {
        outcome.error = "out of memory while drawing";
        return outcome;
    }
    outcome.picture = Downsample(context.pixels(), width, height);
    return outcome;
}
