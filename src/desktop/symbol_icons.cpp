#include "desktop/symbol_icons.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <utility>

#include <QAbstractButton>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QPolygonF>
#include <QTransform>

#include "desktop/key_mapping.hpp"
#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

// Glyphs are drawn on a 24 × 24 grid and scaled to the icon's size.
constexpr double kGrid = 24;
constexpr double kStroke = 1.6;

QPointF polar(QPointF centre, double radius, double degrees) {
    // Qt's angles turn counter-clockwise on screen, where y grows downwards.
    const double radians = degrees * std::numbers::pi / 180;
    return {centre.x() + radius * std::cos(radians), centre.y() - radius * std::sin(radians)};
}

// An isometric cube as the view cube shows it: its outline's corners clockwise from the top, and
// the corner nearest the eye where its three faces meet. Scale 1 fills the grid.
struct CubeCorners {
    std::array<QPointF, 6> rim;
    QPointF near;
};

CubeCorners cubeCorners(QPointF centre, double scale) {
    const auto at = [&](double dx, double dy) { return centre + QPointF(dx, dy) * scale; };
    return {{at(0, -9.2), at(8.5, -4.5), at(8.5, 4.5), at(0, 9.2), at(-8.5, 4.5), at(-8.5, -4.5)},
            at(0, 0.2)};
}

enum class CubeFace { top, front, right };

// Front is the left face on screen and right the right one, as on the view cube.
QPainterPath cubeFacePath(CubeFace face) {
    const CubeCorners c = cubeCorners({12, 12}, 1);
    const auto& r = c.rim;
    QPolygonF outline;
    switch (face) {
        case CubeFace::top: outline = {r[0], r[1], c.near, r[5]}; break;
        case CubeFace::front: outline = {r[5], c.near, r[3], r[4]}; break;
        case CubeFace::right: outline = {c.near, r[1], r[2], r[3]}; break;
    }
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

// The pen and fill of one glyph, with the few shapes every drawing is made of.
class Glyph {
public:
    Glyph(QPainter& painter, QColor colour) : painter_(painter), colour_(colour) {
        QPen pen(colour_, kStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
    }

    void stroke(const QPainterPath& path) { painter_.drawPath(path); }
    void fill(const QPainterPath& path, int alpha) {
        painter_.fillPath(path, theme::withAlpha(colour_, alpha * colour_.alpha() / 255));
    }
    void line(double x1, double y1, double x2, double y2) {
        painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    void polyline(std::initializer_list<QPointF> points, bool closed = false) {
        stroke(pathOf(points, closed));
    }
    [[nodiscard]] static QPainterPath pathOf(std::initializer_list<QPointF> points, bool closed) {
        QPainterPath path;
        bool first = true;
        for (const QPointF& point : points) {
            if (first) {
                path.moveTo(point);
                first = false;
            } else {
                path.lineTo(point);
            }
        }
        if (closed) path.closeSubpath();
        return path;
    }
    [[nodiscard]] static QPainterPath circlePath(double cx, double cy, double r) {
        QPainterPath path;
        path.addEllipse(QPointF(cx, cy), r, r);
        return path;
    }
    void circle(double cx, double cy, double r) { stroke(circlePath(cx, cy, r)); }
    void rect(double x, double y, double w, double h, double radius = 1.5) {
        QPainterPath path;
        path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
        stroke(path);
    }
    void dot(double cx, double cy, double r = 1.7) { fill(circlePath(cx, cy, r), 255); }
    // An open arrowhead whose point is `tip`, pointing along `heading` (degrees, y down).
    void head(QPointF tip, double heading, double length = 3.6) {
        const double back = (heading + 180) * std::numbers::pi / 180;
        const double spread = 38 * std::numbers::pi / 180;
        const QPointF left(tip.x() + length * std::cos(back - spread),
                           tip.y() + length * std::sin(back - spread));
        const QPointF right(tip.x() + length * std::cos(back + spread),
                            tip.y() + length * std::sin(back + spread));
        polyline({left, tip, right});
    }
    // An elliptical arc in `bounds` (Qt's angles) with an arrowhead at its end.
    void arcArrow(const QRectF& bounds, double start, double span) {
        QPainterPath path;
        path.arcMoveTo(bounds, start);
        path.arcTo(bounds, start, span);
        stroke(path);
        const double end = (start + span) * std::numbers::pi / 180;
        const double a = bounds.width() / 2;
        const double b = bounds.height() / 2;
        // The direction of travel on screen: counter-clockwise for a positive span.
        const double sign = span >= 0 ? 1 : -1;
        const double heading = std::atan2(-b * std::cos(end) * sign, -a * std::sin(end) * sign) *
                               180 / std::numbers::pi;
        head(path.currentPosition(), heading);
    }
    void arcArrow(QPointF centre, double radius, double start, double span) {
        arcArrow(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), start,
                 span);
    }
    void dashed(const QPainterPath& path, int alpha = 255) {
        const QPen saved = painter_.pen();
        QPen pen = saved;
        pen.setColor(theme::withAlpha(colour_, alpha * colour_.alpha() / 255));
        pen.setDashPattern({1.6, 1.9});
        painter_.setPen(pen);
        painter_.drawPath(path);
        painter_.setPen(saved);
    }
    // A pencil lying from its tip along `heading` (degrees, y down).
    void pencil(QPointF tip, double heading, double length) {
        QPainterPath body =
            pathOf({{0, 0}, {3.2, -1.9}, {length, -1.9}, {length, 1.9}, {3.2, 1.9}}, true);
        body.moveTo(3.2, -1.9);
        body.lineTo(3.2, 1.9);
        QTransform placed;
        placed.translate(tip.x(), tip.y());
        placed.rotate(heading);
        stroke(placed.map(body));
    }
    // The cube cut through its middle by a plane parallel to one of its faces, the cut filled.
    void sectionCube(CubeFace face) {
        cube();
        const QPointF shift = face == CubeFace::top     ? QPointF(0, 4.5)
                              : face == CubeFace::front ? QPointF(4.25, -2.35)
                                                        : QPointF(-4.25, -2.35);
        const QPainterPath cut = cubeFacePath(face).translated(shift);
        fill(cut, 120);
        stroke(cut);
    }
    void cube(QPointF centre = {12, 12}, double scale = 1) {
        const CubeCorners c = cubeCorners(centre, scale);
        const auto& r = c.rim;
        polyline({r[0], r[1], r[2], r[3], r[4], r[5]}, true);
        polyline({r[5], c.near, r[1]});
        polyline({c.near, r[3]});
    }
    // A cube seen as the view cube shows it, the face a view looks at shaded.
    void viewCube(CubeFace face) {
        fill(cubeFacePath(face), 120);
        cube();
    }
    // The arrow of an export, leaving what the format holds to the upper right.
    void exported() {
        line(14, 10, 20.5, 3.5);
        head({20.5, 3.5}, -45);
    }
    // A plane to sketch on, with the pencil drawing on it.
    void sketchPlane(std::initializer_list<QPointF> plane, QPointF tip) {
        polyline(plane, true);
        pencil(tip, -55, 12);
    }
    // The dashed frame of a selection drawn by dragging.
    void marquee() { dashed(pathOf({{3.5, 3.5}, {20.5, 3.5}, {20.5, 20.5}, {3.5, 20.5}}, true)); }
    void eye(double left, double right, double lift) {
        const double middle = (left + right) / 2;
        QPainterPath path;
        path.moveTo(left, 12);
        path.quadTo(middle, 12 - lift, right, 12);
        path.quadTo(middle, 12 + lift, left, 12);
        stroke(path);
    }

private:
    QPainter& painter_;
    QColor colour_;
};

using Drawing = void (*)(Glyph&);

const QPointF kCentre(12, 12);

// Each symbol name of the registry with its drawing. Some names stand for a different idea than
// the name says ("equal" is the parallel constraint, "capsule" the fillet), so the drawings
// follow the command the name is used for.
const std::pair<std::string_view, Drawing> kDrawings[]{
    {"doc",
     [](Glyph& g) {
         g.polyline({{6, 3}, {14, 3}, {18, 7}, {18, 21}, {6, 21}}, true);
         g.polyline({{14, 3}, {14, 7}, {18, 7}});
         g.line(9, 12, 15, 12);
         g.line(9, 16, 15, 16);
     }},
    {"folder",
     [](Glyph& g) {
         g.polyline({{3, 18.5}, {3, 6}, {9, 6}, {11, 8.5}, {21, 8.5}, {21, 18.5}}, true);
         g.line(3, 11, 21, 11);
     }},
    {"square.and.arrow.down",
     [](Glyph& g) {
         g.polyline({{4, 13}, {4, 20}, {20, 20}, {20, 13}});
         g.line(12, 3.5, 12, 15);
         g.head({12, 15}, 90);
     }},
    // A part coming in: a box, an arrow into it from the upper right.
    {"cube.arrow.in",
     [](Glyph& g) {
         g.polyline({{3, 10}, {10, 6.5}, {17, 10}, {17, 18}, {10, 21.5}, {3, 18}}, true);
         g.polyline({{3, 10}, {10, 13.5}, {17, 10}});
         g.line(10, 13.5, 10, 21.5);
         g.line(22, 2, 14.5, 9.5);
         g.head({14.5, 9.5}, 135, 3.2);
     }},
    {"square.and.arrow.down.pencil",
     [](Glyph& g) {
         g.polyline({{3, 13}, {3, 20}, {21, 20}, {21, 13}});
         g.line(8.5, 3.5, 8.5, 15);
         g.head({8.5, 15}, 90);
         g.pencil({13.5, 16}, -60, 11);
     }},
    // The exports: what each format keeps of a body, leaving to the upper right.
    {"triangles.arrow.up",
     [](Glyph& g) {
         g.polyline({{2.5, 21}, {15.5, 21}, {9, 9.5}}, true);
         g.polyline({{5.75, 15.25}, {12.25, 15.25}, {9, 21}}, true);
         g.exported();
     }},
    {"vertices.arrow.up",
     [](Glyph& g) {
         g.polyline({{3, 11}, {15, 11}, {15, 21}, {3, 21}}, true);
         g.line(9, 11, 9, 21);
         for (const double x : {3.0, 9.0, 15.0}) {
             g.dot(x, 11, 1.9);
             g.dot(x, 21, 1.9);
         }
         g.exported();
     }},
    {"layers.arrow.up",
     [](Glyph& g) {
         const QPainterPath top =
             Glyph::pathOf({{2.5, 12.5}, {8.5, 9.5}, {14.5, 12.5}, {8.5, 15.5}}, true);
         g.fill(top, 90);
         g.stroke(top);
         g.polyline({{2.5, 16}, {8.5, 19}, {14.5, 16}});
         g.polyline({{2.5, 19.5}, {8.5, 22.5}, {14.5, 19.5}});
         g.exported();
     }},
    {"cylinder.arrow.up",
     [](Glyph& g) {
         QPainterPath side;
         side.moveTo(2.5, 11.5);
         side.lineTo(2.5, 19);
         side.arcTo(QRectF(2.5, 16.6, 12, 4.8), 180, 180);
         side.lineTo(14.5, 11.5);
         g.stroke(side);
         const QPainterPath top = [] {
             QPainterPath ellipse;
             ellipse.addEllipse(QRectF(2.5, 9.1, 12, 4.8));
             return ellipse;
         }();
         g.fill(top, 90);
         g.stroke(top);
         g.exported();
     }},
    {"surface.arrow.up",
     [](Glyph& g) {
         QPainterPath sheet;
         sheet.moveTo(2.5, 13);
         sheet.cubicTo(6.5, 8.5, 10.5, 14, 14.5, 10);
         sheet.lineTo(14.5, 19);
         sheet.cubicTo(10.5, 23, 6.5, 17.5, 2.5, 22);
         sheet.closeSubpath();
         g.fill(sheet, 60);
         g.stroke(sheet);
         g.line(8.5, 12, 8.5, 20.5);
         g.exported();
     }},
    {"arrow.uturn.backward",
     [](Glyph& g) {
         QPainterPath path;
         path.moveTo(5, 8);
         path.lineTo(14, 8);
         path.arcTo(QRectF(9, 8, 10, 10), 90, -180);
         path.lineTo(9.5, 18);
         g.stroke(path);
         g.head({5, 8}, 180);
     }},
    {"arrow.uturn.forward",
     [](Glyph& g) {
         QPainterPath path;
         path.moveTo(19, 8);
         path.lineTo(10, 8);
         path.arcTo(QRectF(5, 8, 10, 10), 90, 180);
         path.lineTo(14.5, 18);
         g.stroke(path);
         g.head({19, 8}, 0);
     }},
    {"trash",
     [](Glyph& g) {
         g.line(4, 6.5, 20, 6.5);
         g.polyline({{9.5, 6.5}, {9.5, 4}, {14.5, 4}, {14.5, 6.5}});
         g.polyline({{6, 6.5}, {7, 20.5}, {17, 20.5}, {18, 6.5}});
         g.line(10, 10, 10, 17);
         g.line(14, 10, 14, 17);
     }},
    {"repeat",
     [](Glyph& g) {
         g.polyline({{5, 12.5}, {5, 8}, {19, 8}});
         g.head({19, 8}, 0);
         g.polyline({{19, 11.5}, {19, 16}, {5, 16}});
         g.head({5, 16}, 180);
     }},
    {"plus.square.on.square",
     [](Glyph& g) {
         g.polyline({{9, 9}, {9, 3}, {21, 3}, {21, 15}, {15, 15}});
         g.polyline({{3, 9}, {15, 9}, {15, 21}, {3, 21}}, true);
         g.line(9, 12, 9, 18);
         g.line(6, 15, 12, 15);
     }},
    {"square.dashed.boxes",
     [](Glyph& g) {
         g.marquee();
         for (const QPointF corner : {QPointF(7, 7), QPointF(12, 12)}) {
             QPainterPath box;
             box.addRoundedRect(QRectF(corner, QSizeF(5, 5)), 1, 1);
             g.fill(box, 110);
             g.stroke(box);
         }
     }},
    {"square.dashed.xmark",
     [](Glyph& g) {
         g.marquee();
         g.line(8.5, 8.5, 15.5, 15.5);
         g.line(15.5, 8.5, 8.5, 15.5);
     }},
    {"line.diagonal.dashed",
     [](Glyph& g) {
         g.dashed(Glyph::pathOf({{5, 19}, {19, 5}}, false));
         g.dot(5, 19);
         g.dot(19, 5);
     }},
    {"cursorarrow",
     [](Glyph& g) {
         const QPainterPath arrow = Glyph::pathOf(
             {{7, 3.5}, {7, 19}, {10.8, 15.4}, {13.4, 21}, {15.8, 20}, {13.2, 14.4}, {18.2, 14.4}},
             true);
         g.fill(arrow, 60);
         g.stroke(arrow);
     }},
    {"line.diagonal",
     [](Glyph& g) {
         g.line(5, 19, 19, 5);
         g.dot(5, 19, 2);
         g.dot(19, 5, 2);
     }},
    {"rectangle", [](Glyph& g) { g.rect(3.5, 6, 17, 12); }},
    {"circle",
     [](Glyph& g) {
         g.circle(12, 12, 8.5);
         g.dot(12, 12, 1.1);
     }},
    {"pencil.and.outline",
     [](Glyph& g) {
         QPainterPath path;
         path.moveTo(4, 18);
         path.arcTo(QRectF(4, 6, 16, 24), 180, -180);
         g.stroke(path);
         g.dot(4, 18);
         g.dot(20, 18);
     }},
    {"hexagon",
     [](Glyph& g) {
         QPainterPath path;
         for (int corner = 0; corner < 6; ++corner) {
             const QPointF point = polar(kCentre, 9, 90 + 60 * corner);
             if (corner == 0) {
                 path.moveTo(point);
             } else {
                 path.lineTo(point);
             }
         }
         path.closeSubpath();
         g.stroke(path);
     }},
    {"square.on.circle",
     [](Glyph& g) {
         QPainterPath outer;
         outer.addRoundedRect(QRectF(3.5, 3.5, 17, 17), 4.5, 4.5);
         g.dashed(outer);
         g.rect(8, 8, 8, 8);
     }},
    {"scissors",
     [](Glyph& g) {
         g.circle(7, 17.5, 2.8);
         g.circle(17, 17.5, 2.8);
         g.line(8.6, 15.2, 17, 4);
         g.line(15.4, 15.2, 7, 4);
     }},
    // New sketches: the plane drawn on lies flat, faces the eye or stands edge-on to it.
    {"square.on.square",
     [](Glyph& g) {
         g.sketchPlane({{2.5, 20}, {7, 15}, {21.5, 15}, {17, 20}}, {11.5, 17});
     }},
    {"square.front.pencil",
     [](Glyph& g) {
         g.sketchPlane({{2.5, 8}, {14.5, 8}, {14.5, 21}, {2.5, 21}}, {8.5, 16});
     }},
    {"square.right.pencil",
     [](Glyph& g) {
         g.sketchPlane({{2.5, 11}, {12, 4.5}, {12, 16}, {2.5, 22.5}}, {8, 15.5});
     }},
    {"checkmark.square",
     [](Glyph& g) {
         g.rect(3.5, 3.5, 17, 17, 3.5);
         g.polyline({{8, 12.5}, {11, 15.5}, {16.5, 9}});
     }},
    {"prism.arrow.up",
     [](Glyph& g) {
         const QPainterPath base =
             Glyph::pathOf({{3.5, 16.5}, {12, 12}, {20.5, 16.5}, {12, 21}}, true);
         g.fill(base, 90);
         g.stroke(base);
         g.dashed(Glyph::pathOf({{3.5, 16.5}, {3.5, 9}}, false), 150);
         g.dashed(Glyph::pathOf({{20.5, 16.5}, {20.5, 9}}, false), 150);
         g.line(12, 16.5, 12, 3);
         g.head({12, 3}, -90);
     }},
    {"profile.around.axis",
     [](Glyph& g) {
         g.dashed(Glyph::pathOf({{8, 2}, {8, 22}}, false), 150);
         const QPainterPath profile =
             Glyph::pathOf({{8, 3.5}, {15, 3.5}, {18, 8}, {15, 12.5}, {8, 12.5}}, true);
         g.fill(profile, 90);
         g.stroke(profile);
         g.arcArrow(QRectF(1.5, 14, 13, 6.5), 215, 290);
     }},
    {"capsule",
     [](Glyph& g) {
         g.dashed(Glyph::pathOf({{5, 13}, {5, 5}, {13, 5}}, false), 110);
         QPainterPath path;
         path.moveTo(5, 20);
         path.lineTo(5, 14);
         path.arcTo(QRectF(5, 5, 18, 18), 180, -90);
         path.lineTo(20, 5);
         g.stroke(path);
     }},
    {"shippingbox",
     [](Glyph& g) {
         // A box cut through: walls of one thickness round what was solid, the top left open.
         const QPainterPath walls = Glyph::pathOf({{3.5, 5},
                                                   {3.5, 20.5},
                                                   {20.5, 20.5},
                                                   {20.5, 5},
                                                   {16.5, 5},
                                                   {16.5, 16.5},
                                                   {7.5, 16.5},
                                                   {7.5, 5}},
                                                  true);
         g.fill(walls, 110);
         g.stroke(walls);
         g.dashed(Glyph::pathOf({{7.5, 5}, {16.5, 5}}, false), 110);
     }},
    {"circle.lefthalf.filled",
     [](Glyph& g) {
         const QPainterPath both =
             Glyph::circlePath(9, 12, 6.5).united(Glyph::circlePath(15, 12, 6.5));
         g.fill(both, 90);
         g.stroke(both);
     }},
    {"minus.circle",
     [](Glyph& g) {
         const QPainterPath cut =
             Glyph::circlePath(9, 12, 6.5).subtracted(Glyph::circlePath(15, 12, 6.5));
         g.fill(cut, 90);
         g.stroke(cut);
         g.dashed(Glyph::circlePath(15, 12, 6.5), 120);
     }},
    {"circle.circle",
     [](Glyph& g) {
         const QPainterPath left = Glyph::circlePath(9, 12, 6.5);
         const QPainterPath right = Glyph::circlePath(15, 12, 6.5);
         g.fill(left.intersected(right), 150);
         g.stroke(left);
         g.stroke(right);
     }},
    {"arrow.up.and.down.and.arrow.left.and.right",
     [](Glyph& g) {
         g.line(12, 3, 12, 21);
         g.line(3, 12, 21, 12);
         g.head({12, 3}, -90);
         g.head({12, 21}, 90);
         g.head({3, 12}, 180);
         g.head({21, 12}, 0);
     }},
    {"rotate.right",
     [](Glyph& g) {
         g.arcArrow({12, 12.5}, 7.5, 100, -290);
         g.dot(12, 12.5, 1.3);
     }},
    {"square.scale.arrow",
     [](Glyph& g) {
         QPainterPath small;
         small.addRoundedRect(QRectF(3.5, 12.5, 8, 8), 1.5, 1.5);
         g.fill(small, 110);
         g.stroke(small);
         g.dashed(
             Glyph::pathOf({{3.5, 9}, {3.5, 3.5}, {20.5, 3.5}, {20.5, 20.5}, {15, 20.5}}, false));
         g.line(12.5, 11.5, 19, 5);
         g.head({19, 5}, -45);
     }},
    {"arrow.left.and.right.righttriangle.left.righttriangle.right",
     [](Glyph& g) {
         g.polyline({{3, 19}, {10, 19}, {10, 7}}, true);
         const QPainterPath mirrored = Glyph::pathOf({{14, 19}, {21, 19}, {14, 7}}, true);
         g.fill(mirrored, 90);
         g.stroke(mirrored);
         g.dashed(Glyph::pathOf({{12, 3}, {12, 21.5}}, false));
     }},
    {"rectangle.split.2x1",
     [](Glyph& g) {
         QPainterPath first;
         first.addRoundedRect(QRectF(2.5, 9.25, 5.5, 5.5), 1, 1);
         g.fill(first, 110);
         g.stroke(first);
         g.rect(9.25, 9.25, 5.5, 5.5, 1);
         g.rect(16, 9.25, 5.5, 5.5, 1);
     }},
    {"ruler",
     [](Glyph& g) {
         QPainterPath ruler;
         ruler.addRoundedRect(QRectF(1.5, 8.5, 21, 7), 1.2, 1.2);
         for (int tick = 0; tick < 4; ++tick) {
             const double x = 6 + tick * 4;
             ruler.moveTo(x, 8.5);
             ruler.lineTo(x, tick % 2 == 0 ? 12.5 : 11);
         }
         QTransform turned;
         turned.translate(12, 12);
         turned.rotate(-45);
         turned.translate(-12, -12);
         g.stroke(turned.map(ruler));
     }},
    {"square.plus.minus",
     [](Glyph& g) {
         QPainterPath body;
         body.addRoundedRect(QRectF(3, 7, 11, 11), 1.5, 1.5);
         g.fill(body, 90);
         g.stroke(body);
         g.line(16.5, 6.5, 21.5, 6.5);
         g.line(19, 4, 19, 9);
         g.line(16.5, 18.5, 21.5, 18.5);
     }},
    {"xmark",
     [](Glyph& g) {
         g.line(6, 6, 18, 18);
         g.line(18, 6, 6, 18);
     }},
    {"return",
     [](Glyph& g) {
         g.polyline({{19, 5}, {19, 13}, {6, 13}});
         g.head({6, 13}, 180);
     }},
    {"eye",
     [](Glyph& g) {
         g.eye(2.5, 21.5, 9);
         g.circle(12, 12, 3);
     }},
    {"eye.slash",
     [](Glyph& g) {
         g.eye(2.5, 21.5, 9);
         g.circle(12, 12, 3);
         g.line(4, 4, 20, 20);
     }},
    {"eye.circle",
     [](Glyph& g) {
         g.circle(12, 12, 9.5);
         g.eye(6, 18, 4.5);
         g.dot(12, 12, 1.6);
     }},
    {"viewfinder",
     [](Glyph& g) {
         for (const QPointF corner :
              {QPointF(3, 3), QPointF(21, 3), QPointF(21, 21), QPointF(3, 21)}) {
             const double dx = corner.x() < 12 ? 5 : -5;
             const double dy = corner.y() < 12 ? 5 : -5;
             g.polyline({corner + QPointF(0, dy), corner, corner + QPointF(dx, 0)});
         }
         g.cube(kCentre, 0.55);
     }},
    {"house",
     [](Glyph& g) {
         g.polyline({{3, 11.5}, {12, 3.5}, {21, 11.5}});
         g.polyline({{6, 9}, {6, 20.5}, {18, 20.5}, {18, 9}});
         g.polyline({{10, 20.5}, {10, 14.5}, {14, 14.5}, {14, 20.5}});
     }},
    // The views, as on the view cube: the face each looks at shaded, or for the isometric view
    // the corner it looks at.
    {"cube.top.filled", [](Glyph& g) { g.viewCube(CubeFace::top); }},
    {"cube.front.filled", [](Glyph& g) { g.viewCube(CubeFace::front); }},
    {"cube.right.filled", [](Glyph& g) { g.viewCube(CubeFace::right); }},
    {"cube.corner.filled",
     [](Glyph& g) {
         g.cube();
         g.circle(12, 12.2, 3.4);
         g.dot(12, 12.2, 1.9);
     }},
    {"grid",
     [](Glyph& g) {
         g.rect(3.5, 3.5, 17, 17);
         for (const double at : {9.17, 14.83}) {
             g.line(at, 3.5, at, 20.5);
             g.line(3.5, at, 20.5, at);
         }
     }},
    {"cube.section.top", [](Glyph& g) { g.sectionCube(CubeFace::top); }},
    {"cube.section.front", [](Glyph& g) { g.sectionCube(CubeFace::front); }},
    {"cube.section.right", [](Glyph& g) { g.sectionCube(CubeFace::right); }},
    {"square.split.arrow",
     [](Glyph& g) {
         g.fill(Glyph::pathOf({{3.5, 9}, {14, 3.5}, {14, 15}, {3.5, 20.5}}, true), 90);
         g.polyline({{3.5, 9}, {14, 3.5}, {14, 15}, {3.5, 20.5}}, true);
         g.line(8.8, 12, 20.5, 12);
         g.head({20.5, 12}, 0);
     }},
    {"cube.perspective",
     [](Glyph& g) {
         // A box seen in perspective, its far face smaller, and the parallel view beside it.
         g.rect(3, 6, 11, 11, 0.5);
         g.rect(9, 4, 6, 6, 0.5);
         g.line(3, 6, 9, 4);
         g.line(14, 6, 15, 4);
         g.line(14, 17, 15, 10);
         g.line(18, 8, 21.5, 8);
         g.line(18, 16, 21.5, 16);
     }},
    {"square.split.diagonal",
     [](Glyph& g) {
         g.fill(Glyph::pathOf({{20.5, 3.5}, {20.5, 20.5}, {3.5, 20.5}}, true), 90);
         g.rect(3.5, 3.5, 17, 17);
         g.line(3.5, 20.5, 20.5, 3.5);
     }},
    {"arrow.left.and.right",
     [](Glyph& g) {
         g.line(3, 12, 21, 12);
         g.head({3, 12}, 180);
         g.head({21, 12}, 0);
     }},
    {"arrow.up.and.down",
     [](Glyph& g) {
         g.line(12, 3, 12, 21);
         g.head({12, 3}, -90);
         g.head({12, 21}, 90);
     }},
    {"equal",
     [](Glyph& g) {
         g.line(6, 20, 12, 4);
         g.line(12, 20, 18, 4);
     }},
    {"angle",
     [](Glyph& g) {
         g.line(12, 4, 12, 19);
         g.line(4, 19, 20, 19);
         g.polyline({{12, 15}, {16, 15}, {16, 19}});
     }},
    {"equal.circle",
     [](Glyph& g) {
         g.circle(12, 12, 9);
         g.line(8, 10, 16, 10);
         g.line(8, 14, 16, 14);
     }},
    {"lines.meet.dot",
     [](Glyph& g) {
         g.line(3, 19, 12, 10);
         g.line(12, 10, 21, 15);
         g.dot(3, 19, 1.4);
         g.dot(21, 15, 1.4);
         g.circle(12, 10, 3.4);
     }},
    {"diamond",
     [](Glyph& g) {
         g.line(3, 12, 8, 12);
         g.line(16, 12, 21, 12);
         const QPainterPath diamond = Glyph::pathOf({{12, 8}, {16, 12}, {12, 16}, {8, 12}}, true);
         g.fill(diamond, 140);
         g.stroke(diamond);
     }},
    {"circle.bottomhalf.filled",
     [](Glyph& g) {
         g.circle(12, 10, 6.5);
         g.line(3, 16.5, 21, 16.5);
         g.dot(12, 16.5);
     }},
    // A pin through a point held in place.
    {"pin",
     [](Glyph& g) {
         g.circle(12, 8, 4);
         g.line(12, 12, 12, 20);
         g.line(7, 20, 17, 20);
         g.dot(12, 8, 1.4);
     }},
    {"dimension.line",
     [](Glyph& g) {
         g.line(4, 19, 20, 19);
         g.line(4, 16.5, 4, 5.5);
         g.line(20, 16.5, 20, 5.5);
         g.line(4.8, 9.5, 19.2, 9.5);
         g.head({4.8, 9.5}, 180, 3.2);
         g.head({19.2, 9.5}, 0, 3.2);
     }},
    {"command",
     [](Glyph& g) {
         g.rect(3, 5, 18, 14, 3);
         g.polyline({{7, 9.5}, {10, 12}, {7, 14.5}});
         g.line(12, 14.5, 16.5, 14.5);
     }},
    {"keyboard",
     [](Glyph& g) {
         g.rect(2.5, 6.5, 19, 11, 2.5);
         for (const double x : {6.0, 9.0, 12.0, 15.0, 18.0}) g.dot(x, 10, 0.9);
         g.line(8.5, 14, 15.5, 14);
     }},
    {"number",
     [](Glyph& g) {
         g.line(10, 4, 8, 20);
         g.line(16, 4, 14, 20);
         g.line(5, 9.5, 19, 9.5);
         g.line(4.5, 14.5, 18.5, 14.5);
     }},
    {"ellipsis",
     [](Glyph& g) {
         for (const double x : {6.0, 12.0, 18.0}) g.dot(x, 12, 1.8);
     }},
    {"questionmark",
     [](Glyph& g) {
         g.circle(12, 12, 9.5);
         QPainterPath path;
         path.moveTo(9, 9.5);
         path.arcTo(QRectF(9, 6.5, 6, 6), 180, -180);
         path.quadTo(15, 11.5, 12, 13);
         path.lineTo(12, 14.3);
         g.stroke(path);
         g.dot(12, 17.3, 1.1);
     }},
};

// Stands in for a name without a drawing of its own.
void drawNeutral(Glyph& g) {
    g.rect(4.5, 4.5, 15, 15, 4);
    g.dot(12, 12, 1.8);
}

Drawing drawingOf(std::string_view name) {
    for (const auto& [known, drawing] : kDrawings) {
        if (known == name) return drawing;
    }
    return &drawNeutral;
}

QColor tint(QIcon::Mode mode, QIcon::State state) {
    switch (mode) {
        case QIcon::Disabled: return theme::kFaintText;
        case QIcon::Active:
        case QIcon::Selected: return QColor(255, 255, 255);
        case QIcon::Normal: break;
    }
    return state == QIcon::On ? theme::kAccent : theme::kText;
}

class SymbolEngine final : public QIconEngine {
public:
    explicit SymbolEngine(QString name) : name_(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const double side = std::min(rect.width(), rect.height());
        if (side <= 0) return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / kGrid, side / kGrid);
        Glyph glyph(*painter, tint(mode, state));
        drawingOf(name_.toStdString())(glyph);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        // Qt's own pixmap cache keeps the rendered sizes, so repainting a toolbar draws nothing.
        const QString key = QStringLiteral("brontile-symbol:%1:%2x%3:%4:%5")
                                .arg(name_)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(static_cast<int>(mode))
                                .arg(static_cast<int>(state));
        QPixmap cached;
        if (QPixmapCache::find(key, &cached)) return cached;
        QPixmap rendered(size);
        rendered.fill(Qt::transparent);
        {
            QPainter painter(&rendered);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        QPixmapCache::insert(key, rendered);
        return rendered;
    }

    [[nodiscard]] QIconEngine* clone() const override { return new SymbolEngine(name_); }
    [[nodiscard]] QString key() const override { return QStringLiteral("brontile-symbol"); }
    QString iconName() override { return name_; }

private:
    QString name_;
};

}  // namespace

QIcon symbolIcon(const std::optional<std::string>& symbol) {
    // The icon owns its engine.
    return QIcon(new SymbolEngine(QString::fromStdString(symbol.value_or("questionmark"))));
}

bool hasSymbolDrawing(std::string_view name) {
    return std::ranges::any_of(kDrawings, [&](const auto& entry) { return entry.first == name; });
}

QIcon commandIcon(const CommandRegistry& registry, const CommandID& command) {
    const auto entry = registry.entry(command);
    return symbolIcon(entry ? entry->symbol : std::nullopt);
}

QString commandToolTip(const CommandRegistry& registry, const KeymapStore& keymap,
                       const CommandID& command) {
    QString tip = QString::fromStdString(registry.title(command));
    if (const QString shortcut = shortcutText(keymap, command); !shortcut.isEmpty()) {
        tip += QStringLiteral(" (%1)").arg(shortcut);
    }
    return tip;
}

void presentCommand(QAbstractButton& button, const CommandRegistry& registry,
                    const KeymapStore& keymap, const CommandID& command) {
    button.setIcon(commandIcon(registry, command));
    button.setToolTip(commandToolTip(registry, keymap, command));
    button.setObjectName(QString::fromStdString(command.rawValue));
}

}  // namespace brontile::desktop
