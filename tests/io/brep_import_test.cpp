// STEP and IGES read back into bodies: files our exporter writes, and files Open CASCADE writes
// on its own (curved faces, inches) the way other programs' files arrive.
#include <gtest/gtest.h>

#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <Interface_Static.hxx>
#include <STEPControl_Writer.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>

#include "import_checks.hpp"
#include "io/brep_import.hpp"
#include "support/error_checks.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

ImportedPart readFile(const fs::path& file) {
    Progress progress;
    return BrepImport::read(file, progress);
}

// A STEP file of `shape` written by Open CASCADE alone, its lengths in `unit`.
fs::path occtStep(const test::ScratchDirectory& scratch, const TopoDS_Shape& shape,
                  const char* unit) {
    const fs::path file = scratch.path() / "occt.stp";
    Interface_Static::SetCVal("write.step.unit", unit);
    STEPControl_Writer writer;
    const bool written = writer.Transfer(shape, STEPControl_AsIs) == IFSelect_RetDone &&
                         writer.Write(file.c_str()) == IFSelect_RetDone;
    Interface_Static::SetCVal("write.step.unit", "MM");
    EXPECT_TRUE(written) << "Open CASCADE could not write " << file;
    return file;
}

double exactVolume(const TopoDS_Shape& shape) {
    GProp_GProps properties;
    BRepGProp::VolumeProperties(shape, properties);
    return properties.Mass();
}

// Our planar faces come back one each; STEP keeps names (UTF-8 included) and colours, and the
// extension is recognised in any letter case.
TEST(BrepImport, ExportedBodiesComeBackWithTheirFaces) {
    const CADDocument document = test::twoBoxDocument();
    const test::ScratchDirectory scratch;
    const auto step = test::exportedAs(scratch, document, InterchangeFormat::step, "part.STP");
    test::expectBodiesOf(readFile(step), document, {true, true, 1e-3});
    const auto iges = test::exportedAs(scratch, document, InterchangeFormat::iges, "part.Iges");
    test::expectBodiesOf(readFile(iges), document, {true, false, 0});
}

// A curved solid comes back closed, within the meshing's stray of its exact volume.
TEST(BrepImport, FilletedCylinderMeshesCloseToTheExactSolid) {
    const TopoDS_Shape cylinder = BRepPrimAPI_MakeCylinder(10, 20).Shape();
    BRepFilletAPI_MakeFillet fillet(cylinder);
    for (TopExp_Explorer it(cylinder, TopAbs_EDGE); it.More(); it.Next()) {
        // The top rim, the one edge whose points all lie at z = 20.
        Bnd_Box box;
        BRepBndLib::Add(it.Current(), box);
        if (box.CornerMin().Z() > 19.99) fillet.Add(3, TopoDS::Edge(it.Current()));
    }
    const TopoDS_Shape filleted = fillet.Shape();
    const test::ScratchDirectory scratch;
    const ImportedPart part = readFile(occtStep(scratch, filleted, "MM"));
    ASSERT_EQ(part.bodies.size(), 1u);
    const MeshCheckResult check = MeshCheck::check(part.bodies[0].mesh);
    EXPECT_TRUE(check.closed) << check.openEdges << " open edges";
    const double exact = exactVolume(filleted);
    EXPECT_NEAR(check.volume, exact, 0.005 * exact);
}

// A file in another unit comes back in millimetres: the box written in millimetres, then its
// unit made centimetres in the file's text, reads ten times as long each way.
TEST(BrepImport, FilesInOtherUnitsComeBackInMillimeters) {
    const TopoDS_Shape box = BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 2.5), 2.5, 5, 7.5).Shape();
    const test::ScratchDirectory scratch;
    const fs::path file = occtStep(scratch, box, "MM");
    std::string text = test::readBytes(file);
    const std::size_t unit = text.find(".MILLI.,.METRE.");
    ASSERT_NE(unit, std::string::npos) << "not written in millimetres";
    text.replace(unit, 15, ".CENTI.,.METRE.");
    const ImportedPart part = readFile(test::writeBytes(scratch.path() / "cm.step", text));
    ASSERT_EQ(part.bodies.size(), 1u);
    const double volume = 1000 * exactVolume(box);
    EXPECT_NEAR(part.bodies[0].mesh.volume(), volume, 1e-9 * volume);
    const AABB bounds = *part.bodies[0].mesh.bounds();
    EXPECT_NEAR(bounds.min.z, 25, 1e-9);
    EXPECT_NEAR(bounds.max.z, 100, 1e-9);
}

TEST(BrepImport, RefusesWhatItCannotTurnIntoBodies) {
    const test::ScratchDirectory scratch;
    const std::string garbage = "\x01\x02 this is no exchange file \xff\xfe\n";
    const auto refusal = [](const fs::path& file) {
        return test::refusalMessage<ImportError>([&] { return readFile(file); });
    };
    EXPECT_EQ(refusal(test::writeBytes(scratch.path() / "a.step", garbage)).rfind("not a STEP", 0),
              0u);
    EXPECT_NE(refusal(test::writeBytes(scratch.path() / "a.igs", garbage)), "(not refused)");
    EXPECT_NE(refusal(test::writeBytes(scratch.path() / "a.stl", garbage)), "(not refused)");
    // A lone edge is geometry, but nothing a body can be made of.
    const TopoDS_Shape edge = BRepBuilderAPI_MakeEdge(gp_Pnt(0, 0, 0), gp_Pnt(1, 0, 0)).Shape();
    EXPECT_EQ(refusal(occtStep(scratch, edge, "MM")), "no solid or shell");
}

TEST(BrepImport, StopsWhenCancelledAndNamesItsPhases) {
    const CADDocument document = test::twoBoxDocument();
    const test::ScratchDirectory scratch;
    const auto step = test::exportedAs(scratch, document, InterchangeFormat::step, "part.step");
    Progress stopped;
    stopped.cancel();
    EXPECT_THROW((void)BrepImport::read(step, stopped), Cancelled);
    Progress progress;
    (void)BrepImport::read(step, progress);
    EXPECT_EQ(progress.phase(), "Meshing");
    EXPECT_DOUBLE_EQ(progress.fraction(), 1);
}

}  // namespace
}  // namespace brontile
