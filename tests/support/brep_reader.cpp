#include "support/brep_reader.hpp"

#include <gtest/gtest.h>

#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <IGESCAFControl_Reader.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TCollection_AsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

namespace brontile::test {
namespace {

int count(const TopoDS_Shape& shape, TopAbs_ShapeEnum kind) {
    int n = 0;
    for (TopExp_Explorer it(shape, kind); it.More(); it.Next()) ++n;
    return n;
}

template <class Reader>
bool read(const std::filesystem::path& file, Handle(TDocStd_Document) & document) {
    Reader reader;
    reader.SetNameMode(Standard_True);
    reader.SetColorMode(Standard_True);
    return reader.ReadFile(file.c_str()) == IFSelect_RetDone && reader.Transfer(document);
}

ReadShape measure(const TopoDS_Shape& shape) {
    ReadShape read;
    read.solids = count(shape, TopAbs_SOLID);
    read.shells = count(shape, TopAbs_SHELL);
    read.faces = count(shape, TopAbs_FACE);
    read.wires = count(shape, TopAbs_WIRE);
    read.valid = BRepCheck_Analyzer(shape).IsValid();
    read.closed = read.shells > 0;
    for (TopExp_Explorer it(shape, TopAbs_SHELL); it.More(); it.Next()) {
        read.closed = read.closed && BRep_Tool::IsClosed(it.Current());
    }
    if (read.solids > 0) {
        GProp_GProps properties;
        BRepGProp::VolumeProperties(shape, properties);
        read.volume = properties.Mass();
    }
    return read;
}

}  // namespace

std::vector<ReadShape> readBRepFile(const std::filesystem::path& file, InterchangeFormat format) {
    Handle(TDocStd_Document) document = new TDocStd_Document("MDTV-XCAF");
    XCAFDoc_DocumentTool::Set(document->Main(), Standard_False);
    EXPECT_TRUE(format == InterchangeFormat::step ? read<STEPCAFControl_Reader>(file, document)
                                                  : read<IGESCAFControl_Reader>(file, document))
        << "Open CASCADE could not read " << file;
    const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(document->Main());
    const Handle(XCAFDoc_ColorTool) colors = XCAFDoc_DocumentTool::ColorTool(document->Main());
    TDF_LabelSequence labels;
    shapes->GetFreeShapes(labels);
    std::vector<ReadShape> result;
    for (const TDF_Label& label : labels) {
        const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(label);
        ReadShape read = measure(shape);
        if (Handle(TDataStd_Name) name; label.FindAttribute(TDataStd_Name::GetID(), name)) {
            read.name = TCollection_AsciiString(name->Get()).ToCString();
        }
        Quantity_Color color;
        if (colors->GetColor(label, XCAFDoc_ColorSurf, color) ||
            colors->GetColor(label, XCAFDoc_ColorGen, color) ||
            colors->GetColor(shape, XCAFDoc_ColorSurf, color)) {
            double r = 0, g = 0, b = 0;
            color.Values(r, g, b, Quantity_TOC_sRGB);
            read.color = std::array{r, g, b};
        }
        result.push_back(std::move(read));
    }
    return result;
}

}  // namespace brontile::test
