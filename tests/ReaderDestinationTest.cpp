// What the reader hands a destination with no host behind it, and how an
// import ends: the node tree as it is walked, each mesh's material index or
// own colour, cameras' names as stored, and one result with its messages for
// every way an import can end.
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "reader/SceneReader.h"
#include "tests/support/CaseName.h"
#include "tests/support/ScenePieces.h"

using namespace kvdwriter;
using namespace pieces;

namespace {

// Each call of the reader as one line.
class RecordingDestination final : public SceneDestination, public MessageSink {
public:
    bool declineStart = false;
    std::vector<std::string> events;
    std::vector<ImportMessage> messages;

    bool StartImport() override
    {
        events.push_back("start");
        return !declineStart;
    }
    void Materials(const MaterialList& fileMaterials) override
    {
        events.push_back("materials " + std::to_string(fileMaterials.size()));
    }
    void Camera(const CameraView& camera) override
    {
        events.push_back("camera " + std::string(camera.name) + (camera.isDefault ? " default" : ""));
    }
    void BeginNode(const NodeView& node) override
    {
        events.push_back("node " + std::string(node.label) + (node.isMesh ? " mesh" : ""));
    }
    void EndNode() override { events.push_back("end node"); }
    bool BeginMesh(const MeshView& mesh) override
    {
        std::string material = mesh.fileMaterial == MeshView::kOwnColour
                                   ? "own " + std::to_string(mesh.colour[0])
                                   : "file " + std::to_string(mesh.fileMaterial);
        events.push_back("mesh " + std::string(mesh.name) + " " + material);
        return true;
    }
    void AddFaces(std::span<const MeshFace> faces) override
    {
        events.push_back("faces " + std::to_string(faces.size()));
    }
    void EndMesh() override { events.push_back("end mesh"); }
    void ShowMessage(ImportMessage message) override { messages.push_back(message); }
};

// The events of the scene's object section, after its start, materials and
// the fixed default camera.
std::vector<std::string> ObjectEvents(const RecordingDestination& destination)
{
    const std::vector<std::string>& all = destination.events;
    return {all.begin() + std::min<size_t>(3, all.size()), all.end()};
}

NodeDescription Group(const std::string& label, std::vector<NodeDescription> children)
{
    return {.label = label, .children = std::move(children)};
}

NodeDescription WithChildren(NodeDescription node, std::vector<NodeDescription> children)
{
    node.children = std::move(children);
    return node;
}

struct TreeCase {
    std::string name;
    std::vector<NodeDescription> nodes;
    std::vector<std::string> events;
};

void PrintTo(const TreeCase& c, std::ostream* out) { *out << c.name; }

class NodeTreeTest : public testing::TestWithParam<TreeCase> {};

TEST_P(NodeTreeTest, HandsOnEachNodeBeforeItsMeshAndItsChildren)
{
    SceneDescription scene = NodeScene(GetParam().nodes);
    scene.materials.materials = {{.name = "stone"}};
    const std::vector<uint8_t> bytes = SceneBytes(scene);
    RecordingDestination destination;
    SceneReader reader(destination, destination);
    ASSERT_EQ(reader.ImportBytes(bytes.data(), bytes.size()), ImportResult::Imported);
    EXPECT_TRUE(destination.messages.empty());
    EXPECT_EQ(ObjectEvents(destination), GetParam().events);
}

GeometryDescription StopsAtFaces()
{
    GeometryDescription geometry = Triangle();
    geometry.faceTag = 0;
    return geometry;
}

INSTANTIATE_TEST_SUITE_P(
    Trees, NodeTreeTest,
    testing::Values(
        TreeCase{"group_of_meshes_and_a_lone_value",
                 {Group("g", {WithChildren(IndexedMesh("a", 0, Triangle()), {ColourMesh("b", {0.25f, 0, 0})}),
                              NodeDescription{.openingTag = 5}, IndexedMesh("c", 3, Triangle())})},
                 {"node g", "node a mesh", "mesh a file 0", "faces 1", "end mesh", "node b mesh",
                  "mesh b own 0.250000", "end mesh", "end node", "end node", "node c mesh", "mesh c own 0.500000",
                  "faces 1", "end mesh", "end node", "end node"}},
        TreeCase{"mesh_whose_geometry_stops_early_is_a_node_without_mesh",
                 {IndexedMesh("short", 0, StopsAtFaces()), IndexedMesh("next", 0)},
                 {"node short mesh", "end node", "node next mesh", "mesh next file 0", "end mesh", "end node"}},
        TreeCase{"empty_group", {Group("empty", {})}, {"node empty", "end node"}}),
    CaseName());

TEST(DamagedNodeTreeTest, EndsEveryOpenNodeWhenTheInputEndsInsideIt)
{
    GeometryDescription big = Triangle();
    big.faces.assign(3000, Face{0, 1, 2});
    SceneDescription scene = NodeScene({Group("outer", {Group("inner", {IndexedMesh("m", 0, big)})})});
    std::vector<uint8_t> bytes = SceneBytes(scene);
    bytes.resize(bytes.size() - 6000);   // inside the faces
    RecordingDestination destination;
    SceneReader reader(destination, destination);
    ASSERT_EQ(reader.ImportBytes(bytes.data(), bytes.size()), ImportResult::BodyDamaged);
    const std::vector<std::string> events = ObjectEvents(destination);
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 3),
              (std::vector<std::string>{"node outer", "node inner", "node m mesh"}));
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()),
              (std::vector<std::string>{"end mesh", "end node", "end node", "end node"}));
    EXPECT_EQ(destination.messages, std::vector<ImportMessage>{ImportMessage::FileDamaged});
}

TEST(CameraViewTest, HandsOnTheWholeNameAsStored)
{
    // 40 bytes: longer than the host's field, and a GBK character at the cut.
    const std::string name = std::string(30, 'c') + "\xcf\xe0\xbb\xfa" + "123456";
    SceneDescription scene;
    scene.cameras = {CameraLookingAt(name, {1, 2, 3}, {0, 0, 0}), CameraLookingAt("second", {1, 1, 1}, {0, 0, 0})};
    const std::vector<uint8_t> bytes = SceneBytes(scene);
    RecordingDestination destination;
    SceneReader reader(destination, destination);
    ASSERT_EQ(reader.ImportBytes(bytes.data(), bytes.size()), ImportResult::Imported);
    EXPECT_EQ(destination.events, (std::vector<std::string>{"start", "materials 0", "camera " + name + " default",
                                                            "camera second"}));
}

// Every way an import can end, the result it gives and the messages shown.
struct ResultCase {
    std::string name;
    std::vector<uint8_t> bytes;
    bool declineStart;
    ImportResult result;
    std::vector<ImportMessage> messages;
    // The destination heard of the scene body: its materials at least.
    bool bodyHandedOn;
};

void PrintTo(const ResultCase& c, std::ostream* out) { *out << c.name; }

std::vector<uint8_t> Bytes(const SceneDescription& scene) { return SceneBytes(scene); }

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

const std::vector<uint8_t> kSample = Bytes(SampleScene());

class ImportResultTest : public testing::TestWithParam<ResultCase> {};

TEST_P(ImportResultTest, SaysHowTheImportEndedAndShowsItsMessage)
{
    const ResultCase& c = GetParam();
    RecordingDestination destination;
    destination.declineStart = c.declineStart;
    SceneReader reader(destination, destination);
    EXPECT_EQ(reader.ImportBytes(c.bytes.data(), c.bytes.size()), c.result);
    EXPECT_EQ(destination.messages, c.messages);
    EXPECT_EQ(BodyWasRead(c.result), c.bodyHandedOn);
    const bool materialsHandedOn =
        std::find(destination.events.begin(), destination.events.end(), "materials 2") != destination.events.end() ||
        std::find(destination.events.begin(), destination.events.end(), "materials 0") != destination.events.end();
    EXPECT_EQ(materialsHandedOn, c.bodyHandedOn);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ImportResultTest,
    testing::Values(
        ResultCase{"whole_scene", kSample, false, ImportResult::Imported, {}, true},
        ResultCase{"camera_section_without_its_end_tag", Bytes({.cameraSectionEnd = 0x0301}), false,
                   ImportResult::Imported, {ImportMessage::CameraSectionEnd}, true},
        ResultCase{"empty_input", {}, false, ImportResult::HeaderDamaged, {ImportMessage::FileDamaged}, false},
        ResultCase{"wrong_first_tag", Bytes({.header = {.firstTag = 599}}), false, ImportResult::HeaderDamaged,
                   {ImportMessage::FileDamaged}, false},
        ResultCase{"header_cut_short", Cut(kSample, 25), false, ImportResult::HeaderDamaged,
                   {ImportMessage::FileDamaged}, false},
        ResultCase{"other_signature", Bytes({.header = {.signature = "*KOLVENDRASIS"}}), false,
                   ImportResult::NotKvdFile, {ImportMessage::NotKvdFile}, false},
        ResultCase{"declined_by_the_destination", kSample, true, ImportResult::Declined,
                   {ImportMessage::ImportDeclined}, false},
        ResultCase{"body_cut_short", Cut(kSample, kSample.size() - 10), false, ImportResult::BodyDamaged,
                   {ImportMessage::FileDamaged}, true}),
    CaseName());

TEST(CannotOpenTest, AFileThatCannotBeOpenedSaysWhyAndHandsOnNothing)
{
    // The process number keeps cases that run side by side apart.
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / ("kvd-cannot-open-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    for (const auto& [path, error] : {std::pair{folder / "missing.kvd", ENOENT}, std::pair{folder, EISDIR}}) {
        RecordingDestination destination;
        SceneReader reader(destination, destination);
        EXPECT_EQ(reader.ImportFile(path.string()), ImportResult::CannotOpen) << path;
        EXPECT_EQ(reader.openError(), error) << path;
        EXPECT_TRUE(destination.events.empty()) << path;
        EXPECT_TRUE(destination.messages.empty()) << path;
    }
    // The same reader opens a readable file afterwards, with no error left.
    const std::filesystem::path file = folder / "scene.kvd";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(kSample.data()),
                                                static_cast<std::streamsize>(kSample.size()));
    RecordingDestination destination;
    SceneReader reader(destination, destination);
    EXPECT_EQ(reader.ImportFile((folder / "missing.kvd").string()), ImportResult::CannotOpen);
    EXPECT_EQ(reader.ImportFile(file.string()), ImportResult::Imported);
    EXPECT_EQ(reader.openError(), 0);
    std::filesystem::remove_all(folder);
}

}  // namespace
