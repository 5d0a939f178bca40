// The document value: naming and colouring bodies and sketches, lookups, bounds and cheap copies;
// and its JSON form: what only a person writes, single values, and damaged documents refused with
// a message naming the problem and the place (whole documents: the io tests' golden package).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <string>

#include "document/cad_document.hpp"
#include "document/document_json.hpp"
#include "geometry/geometry_json.hpp"
#include "geometry/mesh_json.hpp"
#include "sketch/sketch_json.hpp"
#include "support/error_checks.hpp"
#include "support/json_checks.hpp"
#include "support/mesh_fixtures.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

using namespace std::chrono;
using test::boxMesh;

SketchEntity unitLine() { return {SketchEntityID::generate(), SketchLine{{0, 0}, {1, 0}}, false}; }

// A new document is empty, in millimetres, stamped with its creation time.
TEST(AddingBodies, NamesAndColoursFollowTheCounterEvenAfterRemovalAndItNeverOverflows) {
    const DateTime now = sys_days{year{2025} / 3 / 1};
    CADDocument doc = CADDocument::empty("Parts", now);
    EXPECT_EQ(doc.metadata, (DocumentMetadata{"Parts", now, now}));
    EXPECT_EQ(doc.units, LengthUnit::millimeters);
    std::vector<BodyID> ids;
    for (int i = 0; i < 7; ++i) ids.push_back(doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1})));
    EXPECT_EQ(doc.bodies[0].name, "Body 1");
    EXPECT_EQ(doc.bodies[6].name, "Body 7");
    EXPECT_EQ(doc.bodies[5].colorIndex, 5);
    EXPECT_EQ(doc.bodies[6].colorIndex, 0);

    doc.removeBody(ids[1]);
    ASSERT_EQ(doc.bodies.size(), 6u);
    EXPECT_EQ(doc.bodies[1].name, "Body 3") << "the others keep their order";
    doc.addBody(SolidMesh::empty());
    EXPECT_EQ(doc.bodies.back().name, "Body 8");
    EXPECT_EQ(doc.bodies.back().colorIndex, 1);

    doc.addBody(SolidMesh::empty(), "Lid");
    EXPECT_EQ(doc.bodies.back().name, "Lid");
    EXPECT_EQ(doc.bodyCounter, 9);
    // Counters at their limit do not overflow.
    doc.bodyCounter = doc.sketchCounter = std::numeric_limits<std::int64_t>::max();
    doc.addBody(SolidMesh::empty());
    doc.addSketch(SketchPlane::xy);
    EXPECT_EQ(doc.bodyCounter, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(doc.sketchCounter, std::numeric_limits<std::int64_t>::max());
}

TEST(AddingBodies, LookupsFindTheFirstAndRemovalTakesEveryBodyWithTheId) {
    CADDocument doc = CADDocument::empty("Parts");
    const BodyID id = doc.addBody(SolidMesh::empty());
    doc.addBody(SolidMesh::empty(), std::nullopt, id);  // same id twice
    const BodyID third = doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    EXPECT_EQ(doc.bodyIndex(id), 0u);
    EXPECT_EQ(doc.body(third)->name, "Body 3");
    EXPECT_FALSE(doc.body(BodyID::generate()));
    doc.removeBody(BodyID::generate());
    EXPECT_EQ(doc.bodies.size(), 3u);
    doc.removeBody(id);
    ASSERT_EQ(doc.bodies.size(), 1u);
    EXPECT_EQ(doc.bodyIndex(third), 0u);
}

TEST(AddingSketches, GivenNamesStillAdvanceTheCounter) {
    CADDocument doc = CADDocument::empty("Sketches");
    const Uuid first = doc.addSketch(SketchPlane::xz);
    doc.addSketch(SketchPlane::xy, "Profile");
    doc.addSketch(SketchPlane::yz);
    EXPECT_EQ(doc.sketches[0].name, "Sketch 1");
    EXPECT_EQ(doc.sketches[1].name, "Profile");
    EXPECT_EQ(doc.sketches[2].name, "Sketch 3");

    EXPECT_EQ(doc.sketch(first).value().plane, SketchPlane::xz);
    EXPECT_EQ(doc.sketchIndex(doc.sketches[2].id), 2u);
    EXPECT_FALSE(doc.sketch(Uuid::random()));
}

TEST(Bounds, OnlyVisibleBodiesWithVerticesAndVisibleSketchesWithPoints) {
    CADDocument doc = CADDocument::empty("Bounds");
    EXPECT_FALSE(doc.bounds());

    doc.addBody(SolidMesh::empty());
    const BodyID hidden = doc.addBody(boxMesh({100, 100, 100}, {200, 200, 200}));
    doc.bodies[1].isVisible = false;
    doc.addSketch(SketchPlane::xy);  // visible but empty
    const Uuid invisible = doc.addSketch(SketchPlane::xy);
    doc.sketches[1].entities.push_back(unitLine());
    doc.sketches[1].isVisible = false;
    EXPECT_FALSE(doc.bounds());

    doc.addBody(boxMesh({0, 0, 0}, {1, 2, 3}));
    const Uuid lifted = doc.addSketch(SketchPlane::fromNormal({0, 0, 10}, Vec3::unitZ));
    doc.sketches[*doc.sketchIndex(lifted)].entities.push_back(unitLine());
    EXPECT_EQ(doc.bounds(), AABB({0, 0, 0}, {1, 2, 10}));

    doc.bodies[*doc.bodyIndex(hidden)].isVisible = true;
    doc.sketches[*doc.sketchIndex(invisible)].isVisible = true;
    EXPECT_EQ(doc.bounds(), AABB({0, 0, 0}, {200, 200, 200}));
}

TEST(CheapCopies, ACopySharesMeshStorageUntilABodyIsReplaced) {
    CADDocument doc = CADDocument::empty("Large");
    doc.addBody(boxMesh({0, 0, 0}, {2, 2, 2}));
    doc.addBody(boxMesh({0, 0, 0}, {1, 1, 1}));
    CADDocument copy = doc;
    EXPECT_EQ(copy, doc);
    copy.bodies[1].mesh = copy.bodies[1].mesh.translated({5, 0, 0});
    EXPECT_TRUE(copy.bodies[0].mesh.sharesStorageWith(doc.bodies[0].mesh))
        << "changing another body leaves the first mesh shared";
    EXPECT_NE(copy, doc);
    EXPECT_EQ(doc.bodies[1].mesh.vertices()[0], Vec3::zero) << "the original is untouched";
}

const Json& handWritten() {
    static const Json document = Json::parse(test::readTestData("hand_written.document.json"));
    return document;
}

DateTime utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s};
}

// What only a person writes: lower-case UUIDs, a zone offset, whole numbers for doubles, keys in
// any order or unknown, and optional keys left out.
TEST(ReadingDocuments, HandWrittenDocumentReadsAsIntended) {
    const auto doc = fromJson<CADDocument>(handWritten());
    EXPECT_EQ(doc.metadata.modifiedAt, utc(2025, 3, 2, 9, 0, 0))
        << "+01:00 is an hour ahead of UTC";
    ASSERT_EQ(doc.bodies.size(), 1u);
    EXPECT_EQ(doc.bodies[0].id.rawValue.string(), "6A1B0C3E-93F1-4B0E-9D51-0F6A2B7C8D90");
    EXPECT_NEAR(doc.bodies[0].mesh.volume(), 1000.0 / 6, 1e-9);
    ASSERT_EQ(doc.sketches.size(), 2u);
    EXPECT_FALSE(doc.sketches[0].isVisible);
    const Sketch& old = doc.sketches[1];
    EXPECT_TRUE(old.isVisible) << "a missing isVisible reads as visible";
    EXPECT_TRUE(old.constraints.empty());
    EXPECT_EQ(old.plane, SketchPlane::yz);
    EXPECT_EQ(fromJsonText<std::int64_t>("3.0"), 3) << "a whole number written as a decimal";
    EXPECT_EQ(doc.camera.projection, Projection::perspective) << "a camera from before the choice";
}

// Everything else a document holds is written as the golden package of the io tests shows it.
TEST(WritingValues, DatesLoseTheirFractionOfASecondAndSelectionsAndColoursReadBack) {
    CADDocument doc = CADDocument::empty("Now", utc(2025, 3, 1, 14, 5, 9) + milliseconds{999});
    const Json json = toJson(doc);
    EXPECT_EQ(json["metadata"]["createdAt"], "2025-03-01T14:05:09Z");
    EXPECT_EQ(fromJson<CADDocument>(json).metadata.createdAt, utc(2025, 3, 1, 14, 5, 9));

    const Uuid raw = *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    const SketchConstraintSel sel{raw, SketchConstraintID{raw}};
    EXPECT_TRUE(test::roundTripsThroughJson(sel));
    EXPECT_EQ(toJson(sel).size(), 2u);
    // Floats go out as the doubles they are.
    const RGBA colour{0.55f, 0.78f, 1.0f, 1.0f};
    EXPECT_EQ(toJson(colour),
              Json::parse(R"({"r":0.550000011920929,"g":0.7799999713897705,"b":1.0,"a":1.0})"));
    EXPECT_TRUE(test::roundTripsThroughJson(colour));
    // The camera keeps its projection; a name this version does not know opens in perspective.
    CameraState camera;
    camera.projection = Projection::orthographic;
    EXPECT_TRUE(test::roundTripsThroughJson(camera));
    Json unknown = toJson(camera);
    unknown["projection"] = "fisheye";
    EXPECT_EQ(fromJson<CameraState>(unknown).projection, Projection::perspective);
}

Json& at(Json& json, const char* pointer) { return json[Json::json_pointer(pointer)]; }

TEST(DamagedDocuments, FailWithAMessageNamingTheProblemAndThePlace) {
    const struct {
        std::string name;
        std::function<void(Json&)> damage;
        std::string message;
    } defects[] = {
        {"MissingFaceNormal", [](Json& j) { at(j, "/bodies/0/mesh/faces/2").erase("normal"); },
         "Missing required key \"normal\" (at bodies[0].mesh.faces[2])"},
        {"StringForNumber", [](Json& j) { at(j, "/camera/distance") = "far"; },
         "Expected a number but found a string (at camera.distance)"},
        {"NullCoordinate", [](Json& j) { at(j, "/bodies/0/mesh/vertices/3/z") = nullptr; },
         "Expected a number but found null (at bodies[0].mesh.vertices[3].z)"},
        {"ObjectForArray", [](Json& j) { at(j, "/sketches") = Json::object(); },
         "Expected an array but found an object (at sketches)"},
        {"NumberForBoolean", [](Json& j) { at(j, "/bodies/0/isVisible") = 1; },
         "Expected a Boolean but found a number (at bodies[0].isVisible)"},
        {"UnknownUnit", [](Json& j) { at(j, "/units") = "centimeters"; },
         "Unknown value \"centimeters\"; expected one of \"millimeters\" or \"inches\" (at "
         "units)"},
        {"UnknownRole", [](Json& j) { at(j, "/sketches/0/constraints/1/refs/0/role") = "middle"; },
         "Unknown value \"middle\"; expected one of \"start\", \"end\", \"center\" or "
         "\"entity\" (at sketches[0].constraints[1].refs[0].role)"},
        {"UnknownConstraintKind",
         [](Json& j) { at(j, "/sketches/0/constraints/0/kind") = "symmetric"; },
         "Unknown value \"symmetric\"; expected one of \"coincident\", \"horizontal\", "
         "\"vertical\", \"parallel\", \"perpendicular\", \"equalLength\", \"equalRadius\", "
         "\"midpoint\", \"tangent\", \"distance\", \"radius\" or \"fix\" "
         "(at sketches[0].constraints[0].kind)"},
        {"GeometryWithTwoCases",
         [](Json& j) {
             at(j, "/sketches/0/entities/1/geometry/line") =
                 at(j, "/sketches/0/entities/0/geometry/line");
         },
         "Invalid number of keys found, expected one. (at sketches[0].entities[1].geometry)"},
        {"GeometryWithoutCase",
         [](Json& j) {
             at(j, "/sketches/0/entities/2/geometry") = Json::object({{"spline", 1}});
         },
         "Invalid number of keys found, expected one. (at sketches[0].entities[2].geometry)"},
        {"IndexPastTheVertices", [](Json& j) { at(j, "/bodies/0/mesh/faces/3/polygons/0/2") = 4; },
         "Vertex index 4 is outside the mesh's 4 vertices "
         "(at bodies[0].mesh.faces[3].polygons[0][2])"},
        {"NegativeIndex", [](Json& j) { at(j, "/bodies/0/mesh/faces/0/polygons/0/0") = -1; },
         "Vertex index -1 is outside the mesh's 4 vertices "
         "(at bodies[0].mesh.faces[0].polygons[0][0])"},
        {"FractionalIndex", [](Json& j) { at(j, "/bodies/0/mesh/faces/0/polygons/0/0") = 0.5; },
         "Expected a whole number in the signed 64-bit range "
         "(at bodies[0].mesh.faces[0].polygons[0][0])"},
        {"HugeCounter",
         [](Json& j) { at(j, "/bodyCounter") = std::uint64_t{18446744073709551615u}; },
         "Expected a whole number in the signed 64-bit range (at bodyCounter)"},
        {"NonFiniteCoordinate",
         [](Json& j) {
             at(j, "/bodies/0/mesh/vertices/1/x") = std::numeric_limits<double>::infinity();
         },
         "Expected a finite number (at bodies[0].mesh.vertices[1].x)"},
        {"BadUuid", [](Json& j) { at(j, "/bodies/0/id/rawValue") = "not-a-uuid"; },
         "Invalid UUID \"not-a-uuid\" (at bodies[0].id.rawValue)"},
        {"BareUuidWhereAnIdentityIsExpected",
         [](Json& j) { at(j, "/bodies/0/id") = "6A1B0C3E-93F1-4B0E-9D51-0F6A2B7C8D90"; },
         "Expected an object but found a string (at bodies[0].id)"},
        {"FractionalSeconds",
         [](Json& j) { at(j, "/metadata/createdAt") = "2025-03-01T14:05:09.5Z"; },
         "Invalid date \"2025-03-01T14:05:09.5Z\"; expected ISO 8601 such as "
         "2025-03-01T14:05:09Z (at metadata.createdAt)"},
        {"ImpossibleDate", [](Json& j) { at(j, "/metadata/modifiedAt") = "2025-02-30T00:00:00Z"; },
         "Invalid date \"2025-02-30T00:00:00Z\"; expected ISO 8601 such as "
         "2025-03-01T14:05:09Z (at metadata.modifiedAt)"},
        {"TopLevelArray", [](Json& j) { j = Json::array(); },
         "Expected an object but found an array (at the top level)"}};
    for (const auto& defect : defects) {
        Json json = handWritten();
        defect.damage(json);
        EXPECT_EQ(
            test::refusalMessage<JsonDecodeError>([&] { return fromJson<CADDocument>(json); }),
            defect.message)
            << defect.name;
    }
}

TEST(MalformedText, CorpusNeverCrashesOrHalfReadsAndNamesTheLineAndColumn) {
    const std::string valid = handWritten().dump();
    // clang-format off
    std::vector<std::string> corpus{"", " ", "null", "true", "0", "\"text\"", "[]", "{}", "1e999",
                                    "-", "nul", "\"\\u12\"", "\xff\xfe{}", "{\"schemaVersion\": 2}",
                                    "{\"units\": \"inches\"", "{\"x\": 1}\n{\"y\": 2}"};
    // clang-format on
    corpus.insert(corpus.end(), {std::string(100000, '[') + std::string(100000, ']'),
                                 std::string(100000, '['), "{\"a\":" + std::string(50000, '{')});
    // Every prefix length of a real document (in steps) is a truncated file.
    for (std::size_t n = 0; n < valid.size(); n += 97) corpus.push_back(valid.substr(0, n));

    for (const std::string& text : corpus) {
        EXPECT_THROW((void)fromJsonText<CADDocument>(text), JsonDecodeError) << text.substr(0, 60);
    }
    EXPECT_NO_THROW((void)fromJsonText<CADDocument>(valid));
    const std::string message = test::refusalMessage<JsonDecodeError>(
        [] { return fromJsonText<CADDocument>("{\n  \"units\": \"inches\",\n  ]"); });
    EXPECT_TRUE(message.starts_with("Malformed JSON: parse error at line 3, column 3")) << message;
    // Single values report their own problem.
    EXPECT_THROW((void)fromJsonText<Sketch>(R"({"id": "x", "name": "n"})"), JsonDecodeError);
    EXPECT_THROW((void)fromJsonText<SketchGeometry>("{}"), JsonDecodeError);
    EXPECT_THROW((void)fromJsonText<SketchConstraint>(R"({"kind": "radius"})"), JsonDecodeError);
}

}  // namespace
}  // namespace brontile
