// Damaged documents: every defect gives an error that says what is wrong and where, and nothing
// in a corpus of broken texts crashes the reader.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "document/document_json.hpp"
#include "sketch/sketch_json.hpp"
#include "support/error_checks.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

const Json& handWritten() {
    static const Json document = Json::parse(test::readTestData("hand_written.document.json"));
    return document;
}

Json& at(Json& json, const char* pointer) { return json[Json::json_pointer(pointer)]; }

TEST(DamagedDocuments, FailWithAMessageNamingTheProblemAndThePlace) {
    const struct {
        std::string name;
        std::function<void(Json&)> damage;
        std::string message;
    } defects[] = {
        {"MissingShowGrid", [](Json& j) { j.erase("showGrid"); },
         "Missing required key \"showGrid\" (at the top level)"},
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
         "\"midpoint\", \"tangent\", \"distance\" or \"radius\" "
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
