// The JSON form of the model: hand-written documents read as intended and single values have the
// agreed shape (a whole document's text, and that it reads back equal, is held by the golden
// package of the io tests).
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "document/document_json.hpp"
#include "geometry/geometry_json.hpp"
#include "geometry/mesh_json.hpp"
#include "sketch/sketch_json.hpp"
#include "support/json_checks.hpp"
#include "support/test_data.hpp"

namespace brontile {
namespace {

using namespace std::chrono;

DateTime at(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s};
}

TEST(ReadingDocuments, HandWrittenDocumentReadsAsIntended) {
    const auto doc = fromJsonText<CADDocument>(test::readTestData("hand_written.document.json"));

    EXPECT_EQ(doc.units, LengthUnit::inches);
    EXPECT_EQ(doc.metadata.title, "Hand-written bracket");
    EXPECT_EQ(doc.metadata.createdAt, at(2025, 3, 1, 14, 5, 9));
    EXPECT_EQ(doc.metadata.modifiedAt, at(2025, 3, 2, 9, 0, 0)) << "+01:00 is an hour ahead of UTC";
    EXPECT_FALSE(doc.showGrid);
    EXPECT_EQ(doc.bodyCounter, 3);
    EXPECT_EQ(doc.camera, (CameraState{{1, 2, 3}, 150, 0.25, -0.5}));

    ASSERT_EQ(doc.bodies.size(), 1u);
    const Body& wedge = doc.bodies[0];
    EXPECT_EQ(wedge.id.rawValue.string(), "6A1B0C3E-93F1-4B0E-9D51-0F6A2B7C8D90");
    EXPECT_EQ(wedge.colorIndex, -1);
    EXPECT_EQ(wedge.mesh.faces().size(), 4u);
    EXPECT_NEAR(wedge.mesh.volume(), 1000.0 / 6, 1e-9);

    ASSERT_EQ(doc.sketches.size(), 2u);
    const Sketch& first = doc.sketches[0];
    EXPECT_FALSE(first.isVisible);
    EXPECT_EQ(first.plane.origin, (Vec3{0, 0, 5}));
    ASSERT_EQ(first.entities.size(), 3u);
    EXPECT_EQ(first.entities[0].geometry, (SketchGeometry{SketchLine{{0, 0}, {25.4, 0}}}));
    EXPECT_TRUE(first.entities[1].isConstruction);
    EXPECT_EQ(std::get<SketchArc>(first.entities[2].geometry).endAngle, -1.5707963267948966);
    ASSERT_EQ(first.constraints.size(), 2u);
    EXPECT_EQ(first.constraints[0].kind, SketchConstraintKind::horizontal);
    EXPECT_FALSE(first.constraints[0].value);
    EXPECT_EQ(first.constraints[1].value, 25.4);
    EXPECT_EQ(first.constraints[1].refs[1].role, SketchParamRole::end);

    const Sketch& old = doc.sketches[1];
    EXPECT_TRUE(old.isVisible) << "a missing isVisible reads as visible";
    EXPECT_TRUE(old.constraints.empty());
    EXPECT_EQ(old.plane, SketchPlane::yz);
}

// Everything else a document holds is written as the golden package of the io tests shows it.
TEST(WritingValues, DatesLoseTheirFractionOfASecondAndSelectionsAndColoursReadBack) {
    CADDocument doc = CADDocument::empty("Now", at(2025, 3, 1, 14, 5, 9) + milliseconds{999});
    const Json json = toJson(doc);
    EXPECT_EQ(json["metadata"]["createdAt"], "2025-03-01T14:05:09Z");
    EXPECT_EQ(fromJson<CADDocument>(json).metadata.createdAt, at(2025, 3, 1, 14, 5, 9));

    const Uuid raw = *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    const SketchConstraintSel sel{raw, SketchConstraintID{raw}};
    EXPECT_TRUE(test::roundTripsThroughJson(sel));
    EXPECT_EQ(toJson(sel).size(), 2u);
    EXPECT_EQ(toJson(RGBA::hover),
              Json::parse(R"({"r":0.550000011920929,"g":0.7799999713897705,"b":1.0,"a":1.0})"));
    EXPECT_TRUE(test::roundTripsThroughJson(RGBA::hover));
}

TEST(WritingValues, NumbersThatJsonCannotHoldAreRefused) {
    CADDocument doc = CADDocument::empty("NaN");
    doc.camera.distance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW((void)toJson(doc), JsonEncodeError);
    doc.camera.distance = std::numeric_limits<double>::infinity();
    EXPECT_THROW((void)toJsonText(doc), JsonEncodeError);

    CADDocument future = CADDocument::empty("Far future", at(12000, 1, 1, 0, 0, 0));
    EXPECT_THROW((void)toJson(future), JsonEncodeError);
}

TEST(ReadingValues, UuidsInEitherCaseAndWholeNumbersWrittenAsDecimals) {
    EXPECT_EQ(fromJsonText<Uuid>(R"("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")").string(),
              "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(fromJsonText<std::int64_t>("3.0"), 3);
    EXPECT_EQ(fromJsonText<double>("7"), 7.0);
}

}  // namespace
}  // namespace brontile
