#include "tools/render/SceneRenderer.h"

#include <cmath>
#include <map>
#include <vector>

#include "tools/render/OffscreenGl.h"
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
    OffscreenContext(const OffscreenGl& gl, int width, int height)
        : gl_(gl), width_(width), height_(height), pixels_(size_t(width) * size_t(height) * 4)
    {
        context_ = gl_.OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
        if (context_ != nullptr && !gl_.OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
            gl_.OSMesaDestroyContext(context_);
            context_ = nullptr;
        }
    }
    ~OffscreenContext()
    {
        if (context_ != nullptr) {
            gl_.OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
            gl_.OSMesaDestroyContext(context_);
        }
    }
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool ready() const { return context_ != nullptr; }
    // Rows from the bottom, RGBA.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    const OffscreenGl& gl_;
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
    OSMesaContext context_ = nullptr;
};

GLuint CompileShader(const OffscreenGl& gl, GLenum kind, const char* source, std::string& error)
{
    const GLuint shader = gl.glCreateShader(kind);
    gl.glShaderSource(shader, 1, &source, nullptr);
    gl.glCompileShader(shader);
    GLint compiled = GL_FALSE;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[1024] = {};
        gl.glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        error = std::string("shader does not compile: ") + log;
        return 0;
    }
    return shader;
}

GLuint LinkProgram(const OffscreenGl& gl, std::string& error)
{
    const GLuint vertex = CompileShader(gl, GL_VERTEX_SHADER, kVertexShader, error);
    const GLuint fragment = vertex ? CompileShader(gl, GL_FRAGMENT_SHADER, kFragmentShader, error) : 0;
    if (!fragment)
        return 0;
    const GLuint program = gl.glCreateProgram();
    gl.glAttachShader(program, vertex);
    gl.glAttachShader(program, fragment);
    gl.glBindAttribLocation(program, kPositionAttribute, "position");
    gl.glBindAttribLocation(program, kTexCoordAttribute, "texCoord");
    gl.glLinkProgram(program);
    GLint linked = GL_FALSE;
    gl.glGetProgramiv(program, GL_LINK_STATUS, &linked);
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
    explicit TextureCache(const OffscreenGl& gl) : gl_(gl) {}

    GLuint TextureOf(const RgbaImage& image)
    {
        auto [where, inserted] = textures_.try_emplace(&image, 0);
        if (!inserted)
            return where->second;
        GLint largest = 0;
        gl_.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        if (image.width <= 0 || image.height <= 0 || image.width > largest || image.height > largest ||
            image.pixels.size() < size_t(image.width) * size_t(image.height) * 4)
            return 0;
        GLuint texture = 0;
        gl_.glGenTextures(1, &texture);
        gl_.glBindTexture(GL_TEXTURE_2D, texture);
        gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gl_.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        gl_.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // Rows go in from the top, so texture row 0 is the image's top row,
        // as the box projection's coordinates expect.
        gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.pixels.data());
        where->second = texture;
        return texture;
    }

private:
    const OffscreenGl& gl_;
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

void DrawMesh(const OffscreenGl& gl, const RenderMesh& mesh, GLuint program, TextureCache& textures, uint64_t& skipped)
{
    std::vector<uint32_t> kept;
    const std::span<const uint32_t> indices = DrawableIndices(mesh, kept, skipped);
    if (indices.empty())
        return;
    const size_t vertexCount = mesh.positions.size() / 3;
    GLuint texture = 0;
    if (mesh.texture != nullptr && mesh.texCoords.size() >= vertexCount * 2)
        texture = textures.TextureOf(*mesh.texture);

    gl.glUniform3f(gl.glGetUniformLocation(program, "colour"), mesh.colour[0], mesh.colour[1], mesh.colour[2]);
    gl.glUniform1i(gl.glGetUniformLocation(program, "textured"), texture != 0);
    gl.glVertexAttribPointer(kPositionAttribute, 3, GL_FLOAT, GL_FALSE, 0, mesh.positions.data());
    gl.glEnableVertexAttribArray(kPositionAttribute);
    if (texture != 0) {
        gl.glBindTexture(GL_TEXTURE_2D, texture);
        gl.glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 0, mesh.texCoords.data());
        gl.glEnableVertexAttribArray(kTexCoordAttribute);
    } else {
        gl.glDisableVertexAttribArray(kTexCoordAttribute);
        gl.glVertexAttrib2f(kTexCoordAttribute, 0.0f, 0.0f);
    }
    for (size_t first = 0; first < indices.size(); first += kTrianglesPerDraw * 3) {
        const size_t count = std::min(kTrianglesPerDraw * 3, indices.size() - first);
        gl.glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices.data() + first);
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
    const OffscreenGl* driver = LoadOffscreenGl(outcome.error);
    if (driver == nullptr)
        return outcome;
    const OffscreenGl& gl = *driver;
    OffscreenContext context(gl, sampleWidth, sampleHeight);
    if (!context.ready()) {
        outcome.error = "no off-screen drawing context";
        return outcome;
    }
    const GLuint program = LinkProgram(gl, outcome.error);
    if (program == 0)
        return outcome;

    const ViewProjection view =
        MakeViewProjection(camera, double(width) / double(height), MeasureScene(scene));
    gl.glViewport(0, 0, sampleWidth, sampleHeight);
    gl.glClearColor(kBackgroundColour[0] / 255.0f, kBackgroundColour[1] / 255.0f, kBackgroundColour[2] / 255.0f, 1.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDisable(GL_CULL_FACE);
    gl.glUseProgram(program);
    gl.glUniformMatrix4fv(gl.glGetUniformLocation(program, "view"), 1, GL_FALSE, view.view.data());
    gl.glUniformMatrix4fv(gl.glGetUniformLocation(program, "projection"), 1, GL_FALSE, view.projection.data());
    gl.glUniform1i(gl.glGetUniformLocation(program, "image"), 0);

    TextureCache textures(gl);
    for (const RenderMesh& mesh : scene.meshes)
        DrawMesh(gl, mesh, program, textures, outcome.trianglesSkipped);
    gl.glFinish();
    if (gl.glGetError() == GL_OUT_OF_MEMORY) {
        outcome.error = "out of memory while drawing";
        return outcome;
    }
    outcome.picture = Downsample(context.pixels(), width, height);
    return outcome;
}
