#include "desktop/symbol_icons.hpp"

#include <algorithm>
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
    // A circular arc (Qt's angles) with an arrowhead at its end.
    void arcArrow(QPointF centre, double radius, double start, double span) {
        QPainterPath path;
        path.arcMoveTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                       start);
        path.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), start,
                   span);
        stroke(path);
        const double end = (start + span) * std::numbers::pi / 180;
        // The direction of travel on screen: counter-clockwise for a positive span.
        const double sign = span >= 0 ? 1 : -1;
        const double heading =
            std::atan2(-std::cos(end) * sign, -std::sin(end) * sign) * 180 / std::numbers::pi;
        head(polar(centre, radius, start + span), heading);
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
    void cube() {
        polyline({{12, 2.8}, {20.5, 7.5}, {20.5, 16.5}, {12, 21.2}, {3.5, 16.5}, {3.5, 7.5}}, true);
        polyline({{3.5, 7.5}, {12, 12.2}, {20.5, 7.5}});
        line(12, 12.2, 12, 21.2);
    }
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
    {"square.and.arrow.up",
     [](Glyph& g) {
         g.polyline({{4, 13}, {4, 20}, {20, 20}, {20, 13}});
         g.line(12, 15.5, 12, 4);
         g.head({12, 4}, -90);
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
    {"square.on.square",
     [](Glyph& g) {
         g.polyline({{2.5, 20}, {7, 15}, {21.5, 15}, {17, 20}}, true);
         g.pencil({11.5, 17}, -55, 12);
     }},
    {"checkmark.square",
     [](Glyph& g) {
         g.rect(3.5, 3.5, 17, 17, 3.5);
         g.polyline({{8, 12.5}, {11, 15.5}, {16.5, 9}});
     }},
    {"cube",
     [](Glyph& g) {
         g.fill(Glyph::pathOf({{12, 2.8}, {20.5, 7.5}, {12, 12.2}, {3.5, 7.5}}, true), 70);
         g.cube();
     }},
    {"arrow.triangle.2.circlepath",
     [](Glyph& g) {
         g.arcArrow(kCentre, 7.5, 165, -130);
         g.arcArrow(kCentre, 7.5, -15, -130);
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
         g.cube();
         g.polyline({{12, 5.4}, {16.2, 7.7}, {12, 10}, {7.8, 7.7}}, true);
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
    {"arrow.up.left.and.arrow.down.right",
     [](Glyph& g) {
         g.line(5, 5, 19, 19);
         g.head({5, 5}, -135);
         g.head({19, 19}, 45);
         g.polyline({{3.5, 10}, {3.5, 20.5}, {14, 20.5}});
         g.polyline({{10, 3.5}, {20.5, 3.5}, {20.5, 14}});
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
    {"grid",
     [](Glyph& g) {
         g.rect(3.5, 3.5, 17, 17);
         for (const double at : {9.17, 14.83}) {
             g.line(at, 3.5, at, 20.5);
             g.line(3.5, at, 20.5, at);
         }
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
