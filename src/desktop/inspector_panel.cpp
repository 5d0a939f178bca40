#include "desktop/inspector_panel.hpp"

#include <functional>
#include <utility>

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "desktop/panel_models.hpp"
#include "desktop/symbol_icons.hpp"
#include "desktop/theme.hpp"
#include "geometry/rgba.hpp"
#include "geometry/unit_formatter.hpp"

namespace brontile::desktop {
namespace {

constexpr int kWidth = 280;
constexpr int kRowHeight = 30;
constexpr int kActionSide = 22;

constexpr int kDetailRole = Qt::UserRole + 1;
// A QColor (a swatch), a QString (a glyph) or a QIcon before the name.
constexpr int kLeadRole = Qt::UserRole + 2;
// The symbol names of the row's trailing buttons, from the right.
constexpr int kActionsRole = Qt::UserRole + 3;
constexpr int kFlagsRole = Qt::UserRole + 4;

enum RowFlag { kSelected = 1, kActive = 2, kHidden = 4 };

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int actionCount(const QModelIndex& index) {
    return static_cast<int>(index.data(kActionsRole).toStringList().size());
}

// The row's rounded background for its state, and the active row's bar at its left edge.
void paintBackground(QPainter& painter, const QRectF& row, int flags, bool hovered) {
    QPainterPath background;
    background.addRoundedRect(row, 6, 6);
    if ((flags & kSelected) != 0) {
        painter.fillPath(background, theme::withAlpha(theme::kSelection, 48));
    } else if ((flags & kActive) != 0) {
        painter.fillPath(background, theme::withAlpha(theme::kSketch, 34));
    } else if (hovered) {
        painter.fillPath(background, theme::withAlpha(QColor(255, 255, 255), 12));
    }
    if ((flags & kActive) != 0) {
        painter.fillRect(QRectF(row.left() + 1, row.top() + 6, 2.5, row.height() - 12),
                         theme::kSketch);
    }
}

// The lead in `lead`: a swatch (faded for a hidden row), a glyph or an icon (on when active).
void paintLead(QPainter& painter, const QRect& lead, const QVariant& value, int flags) {
    if (value.typeId() == QMetaType::QColor) {
        const QColor swatch = value.value<QColor>();
        painter.setPen(QPen(theme::withAlpha(QColor(0, 0, 0), 90), 1));
        painter.setBrush((flags & kHidden) != 0 ? theme::withAlpha(swatch, 70) : swatch);
        painter.drawRoundedRect(QRectF(lead).adjusted(4, 4, -4, -4), 2.5, 2.5);
    } else if (value.typeId() == QMetaType::QString) {
        painter.setPen(theme::kSecondaryText);
        painter.drawText(lead, Qt::AlignCenter, value.toString());
    } else if (value.typeId() == qMetaTypeId<QIcon>()) {
        value.value<QIcon>().paint(&painter, lead.adjusted(1, 1, -1, -1), Qt::AlignCenter,
                                   QIcon::Normal, (flags & kActive) != 0 ? QIcon::On : QIcon::Off);
    }
}

// The row's trailing buttons, named by their symbols from the right.
void paintActions(QPainter& painter, const QRect& row, const QStringList& actions, bool hovered) {
    for (int action = 0; action < actions.size(); ++action) {
        const QIcon icon = symbolIcon(actions[action].toStdString());
        // Quiet until the row is pointed at, so a long list does not bristle with buttons.
        icon.paint(&painter, InspectorPanel::actionRect(row, action).adjusted(3, 3, -3, -3),
                   Qt::AlignCenter, hovered ? QIcon::Normal : QIcon::Disabled);
    }
}

// Where the name and detail go: after the lead, up to the leftmost button or the row's end.
QRect textArea(const QRect& row, const QRect& lead, int actions) {
    QRect text(lead.right() + 8, row.top(), 0, row.height());
    text.setRight(actions == 0 ? row.right() - 8
                               : InspectorPanel::actionRect(row, actions - 1).left() - 6);
    return text;
}

// Draws the detail small at the right of `text`; returns the part of `text` left for the name.
QRect paintDetail(QPainter& painter, QRect text, const QString& detail, const QFont& font) {
    if (detail.isEmpty()) return text;
    QFont small = font;
    small.setPixelSize(theme::kFontPixels - 2);
    painter.setFont(small);
    painter.setPen(theme::kFaintText);
    const int width = QFontMetrics(small).horizontalAdvance(detail);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignRight, detail);
    text.setRight(text.right() - width - 8);
    return text;
}

// A row: a lead (swatch, glyph or icon), the name, a detail on the right, then small buttons.
// Clicks are reported rather than handled, so the panel decides what each one means.
class RowDelegate final : public QStyledItemDelegate {
public:
    struct Callbacks {
        std::function<void(int row, Qt::KeyboardModifiers modifiers)> click;
        std::function<void(int row, int action)> action;
        std::function<void(int row, const QString& name)> rename;
        // Told when a rename's field opens; the delegate's closeEditor tells when it closes.
        std::function<void()> renameStarted;
    };

    RowDelegate(Callbacks callbacks, QObject* parent)
        : QStyledItemDelegate(parent), callbacks_(std::move(callbacks)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        const int flags = index.data(kFlagsRole).toInt();
        const bool hovered = (option.state & QStyle::State_MouseOver) != 0;
        paintBackground(*painter, QRectF(option.rect).adjusted(0.5, 1, -0.5, -1), flags, hovered);
        const QRect lead(option.rect.left() + 8, option.rect.center().y() - 9, 18, 18);
        paintLead(*painter, lead, index.data(kLeadRole), flags);
        const QStringList actions = index.data(kActionsRole).toStringList();
        paintActions(*painter, option.rect, actions, hovered);
        QRect text = textArea(option.rect, lead, static_cast<int>(actions.size()));
        text = paintDetail(*painter, text, index.data(kDetailRole).toString(), option.font);
        painter->setFont(option.font);
        painter->setPen((flags & kHidden) != 0 ? theme::kFaintText : theme::kText);
        const QString name = index.data(Qt::DisplayRole).toString();
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                          option.fontMetrics.elidedText(name, Qt::ElideRight, text.width()));
        painter->restore();
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex&) const override {
        return {option.rect.width(), kRowHeight};
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const auto type = event->type();
        if (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseButtonPress) {
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        }
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const QPoint at = mouse->position().toPoint();
        for (int action = 0; action < actionCount(index); ++action) {
            if (!InspectorPanel::actionRect(option.rect, action).contains(at)) continue;
            if (type == QEvent::MouseButtonRelease && callbacks_.action) {
                callbacks_.action(index.row(), action);
            }
            return true;
        }
        if (type == QEvent::MouseButtonRelease && callbacks_.click) {
            callbacks_.click(index.row(), mouse->modifiers());
            return true;
        }
        // A press sets the current row (F2 renames it); a double click starts the rename.
        return false;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (callbacks_.renameStarted) callbacks_.renameStarted();
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        QRect area = option.rect.adjusted(30, 2, -4, -2);
        if (const int count = actionCount(index); count > 0) {
            area.setRight(InspectorPanel::actionRect(option.rect, count - 1).left() - 4);
        }
        editor->setGeometry(area);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        // The session renames; the list shows the new name when the document says so.
        const auto* field = qobject_cast<QLineEdit*>(editor);
        if (field == nullptr || !callbacks_.rename) return;
        const QString name = field->text().trimmed();
        if (!name.isEmpty() && name != index.data(Qt::DisplayRole).toString()) {
            callbacks_.rename(index.row(), name);
        }
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            // Return and Escape end the rename; without this the window's shortcuts take them.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    Callbacks callbacks_;
};

QListWidget* makeList(QWidget* parent, RowDelegate::Callbacks callbacks) {
    auto* list = new QListWidget(parent);
    list->setItemDelegate(new RowDelegate(std::move(callbacks), list));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setMouseTracking(true);
    list->setFocusPolicy(Qt::ClickFocus);
    list->setUniformItemSizes(true);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFrameShape(QFrame::NoFrame);
    return list;
}

// Makes the list exactly `count` rows long, keeping the rows it has.
void resizeList(QListWidget& list, std::size_t count) {
    while (static_cast<std::size_t>(list.count()) > count) {
        // takeItem hands the row back to the caller.
        std::unique_ptr<QListWidgetItem> dropped(list.takeItem(list.count() - 1));
    }
    while (static_cast<std::size_t>(list.count()) < count) {
        auto* item = new QListWidgetItem(&list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
    }
    list.setFixedHeight(static_cast<int>(count) * kRowHeight);
}

void setRow(QListWidgetItem& item, const QString& name, const QString& detail, const QVariant& lead,
            const QStringList& actions, int flags) {
    item.setData(Qt::DisplayRole, name);
    item.setData(kDetailRole, detail);
    item.setData(kLeadRole, lead);
    item.setData(kActionsRole, actions);
    item.setData(kFlagsRole, flags);
}

QLabel* sectionHeading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    theme::setTextRole(*heading, theme::TextRole::caption);
    return heading;
}

QLabel* emptyNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    theme::setTextRole(*note, theme::TextRole::faint);
    note->setContentsMargins(8, 2, 8, 4);
    return note;
}

// The entry a row of a list stands for; nothing for a row the list no longer has.
template <class T>
const T* rowOf(const std::vector<T>& entries, int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(row)];
}

QColor bodyColour(std::int64_t index) {
    const RGBA colour = BodyPalette::color(index);
    return QColor::fromRgbF(colour.r, colour.g, colour.b);
}

// "4 entities · 2 DOF", "4 entities · fully constrained".
QString sketchDetail(std::size_t count, const SketchFreedom& freedom) {
    QString text =
        count == 1 ? QStringLiteral("1 entity") : QStringLiteral("%1 entities").arg(count);
    if (count == 0) return text;
    text += QStringLiteral(" \u00B7 ");
    text += freedom.isFullyConstrained() ? QStringLiteral("fully constrained")
                                         : QStringLiteral("%1 DOF").arg(freedom.degrees);
    return text;
}

// A length without its unit ("12.5" of "12.5 mm"), for lists that name the unit once.
QString bareLength(double valueMM, LengthUnit units) {
    QString text = QString::fromStdString(UnitFormatter::string(valueMM, units));
    const QString suffix = QStringLiteral(" ") + fromStd(shortLabel(units));
    if (text.endsWith(suffix)) text.chop(suffix.size());
    return text;
}

// The panel's scrolling part, drawn over the panel's own background.
QScrollArea* makeScrollArea(QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    // Wheel and scroll bar are enough; the panel should not take the keyboard from the viewport.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

}  // namespace

QRect InspectorPanel::actionRect(const QRect& row, int action) {
    const int right = row.right() - 4 - action * (kActionSide + 2);
    return {right - kActionSide + 1, row.center().y() - kActionSide / 2, kActionSide, kActionSide};
}

InspectorPanel::InspectorPanel(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent), session_(bridge.session()) {
    theme::setSurface(*this, theme::Surface::chrome);
    setFixedWidth(kWidth);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    QScrollArea* scroll = makeScrollArea(this);
    scroll->setWidget(createContent(scroll));
    outer->addWidget(scroll, 1);
    // The unit sits at the foot, outside the scrolling part.
    QWidget* foot = createUnitFoot();
    theme::addDivider(*outer);
    outer->addWidget(foot);
    connectSignals(bridge);
    refresh();
}

QWidget* InspectorPanel::createContent(QWidget* parent) {
    auto* content = new QWidget(parent);
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(12, 14, 12, 12);
    column->setSpacing(6);
    addBodySection(*column, content);
    addSketchSection(*column, content);
    addConstraintSection(*column, content);
    addSelectionSection(*column, content);
    column->addStretch(1);
    return content;
}

void InspectorPanel::addBodySection(QVBoxLayout& column, QWidget* content) {
    column.addWidget(sectionHeading(QStringLiteral("BODIES"), content));
    RowDelegate::Callbacks rows;
    rows.click = [this](int row, Qt::KeyboardModifiers modifiers) {
        const bool additive = (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
        if (const BodyID* id = rowOf(bodyIDs_, row)) session_.editing().selectBody(*id, additive);
    };
    rows.action = [this](int row, int) {
        if (const BodyID* id = rowOf(bodyIDs_, row)) session_.editing().toggleBodyVisibility(*id);
    };
    rows.rename = [this](int row, const QString& name) {
        if (const BodyID* id = rowOf(bodyIDs_, row))
            session_.editing().renameBody(*id, name.toStdString());
    };
    rows.renameStarted = [this] { renaming_ = true; };
    bodies_ = makeList(content, std::move(rows));
    bodies_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    bodies_->setToolTip(
        QStringLiteral("Click to select, Ctrl-click to add, double-click or F2 to rename"));
    column.addWidget(bodies_);
    noBodies_ =
        emptyNote(QStringLiteral("No bodies yet. Sketch a closed shape and extrude it."), content);
    noBodies_->setWordWrap(true);
    column.addWidget(noBodies_);
    column.addSpacing(10);
}

void InspectorPanel::addSketchSection(QVBoxLayout& column, QWidget* content) {
    column.addWidget(sectionHeading(QStringLiteral("SKETCHES"), content));
    RowDelegate::Callbacks rows;
    rows.click = [this](int row, Qt::KeyboardModifiers) {
        const Uuid* id = rowOf(sketchIDs_, row);
        if (id != nullptr && session_.activeSketchID() != *id)
            session_.editing().setActiveSketch(*id);
    };
    rows.action = [this](int row, int action) {
        const Uuid* found = rowOf(sketchIDs_, row);
        if (found == nullptr) return;
        const Uuid id = *found;
        if (action == 0) {
            session_.editing().deleteSketch(id);
        } else {
            session_.editing().toggleSketchVisibility(id);
        }
    };
    sketches_ = makeList(content, std::move(rows));
    sketches_->setToolTip(QStringLiteral("Click a sketch to edit it"));
    column.addWidget(sketches_);
    noSketches_ = emptyNote(QStringLiteral("No sketches"), content);
    column.addWidget(noSketches_);
    column.addSpacing(10);
}

// The constraints sit in a section of their own, shown only while a sketch is being edited.
void InspectorPanel::addConstraintSection(QVBoxLayout& column, QWidget* content) {
    constraintSection_ = new QWidget(content);
    auto* constraintColumn = new QVBoxLayout(constraintSection_);
    constraintColumn->setContentsMargins(0, 0, 0, 10);
    constraintColumn->setSpacing(6);
    constraintHeading_ = sectionHeading(QString(), constraintSection_);
    constraintColumn->addWidget(constraintHeading_);
    RowDelegate::Callbacks rows;
    rows.action = [this](int row, int) {
        if (const SketchConstraintSel* found = rowOf(constraintRefs_, row)) {
            const SketchConstraintSel ref = *found;
            session_.editing().deleteConstraint(ref.sketch, ref.constraint);
        }
    };
    constraints_ = makeList(constraintSection_, std::move(rows));
    constraintColumn->addWidget(constraints_);
    noConstraints_ = emptyNote(QStringLiteral("No constraints"), constraintSection_);
    constraintColumn->addWidget(noConstraints_);
    column.addWidget(constraintSection_);
}

void InspectorPanel::addSelectionSection(QVBoxLayout& column, QWidget* content) {
    column.addWidget(sectionHeading(QStringLiteral("SELECTION"), content));
    summary_ = new QLabel(content);
    summary_->setContentsMargins(8, 0, 8, 0);
    column.addWidget(summary_);
    auto* factsBox = new QWidget(content);
    facts_ = new QGridLayout(factsBox);
    facts_->setContentsMargins(8, 2, 8, 0);
    facts_->setHorizontalSpacing(12);
    facts_->setVerticalSpacing(4);
    facts_->setColumnStretch(1, 1);
    column.addWidget(factsBox);
}

QWidget* InspectorPanel::createUnitFoot() {
    auto* foot = new QWidget(this);
    auto* footRow = new QHBoxLayout(foot);
    footRow->setContentsMargins(20, 8, 12, 12);
    auto* unitsLabel = new QLabel(QStringLiteral("Units"), foot);
    theme::setTextRole(*unitsLabel, theme::TextRole::secondary);
    footRow->addWidget(unitsLabel);
    units_ = new QComboBox(foot);
    for (const LengthUnit unit : {LengthUnit::millimeters, LengthUnit::inches}) {
        units_->addItem(fromStd(title(unit)), static_cast<int>(unit));
    }
    units_->setFocusPolicy(Qt::NoFocus);
    footRow->addWidget(units_, 1);
    return foot;
}

void InspectorPanel::connectSignals(SessionBridge& bridge) {
    connect(units_, &QComboBox::activated, this, [this](int index) {
        const auto unit = static_cast<LengthUnit>(units_->itemData(index).toInt());
        if (unit != session_.document().units) session_.editing().setUnits(unit);
    });
    // A rename that ends may let a rebuild through that waited for it.
    connect(bodies_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        renaming_ = false;
        if (std::exchange(pending_, false)) refresh();
    });
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        if (property == SessionProperty::document || property == SessionProperty::selection ||
            property == SessionProperty::activeSketchID) {
            refresh();
        }
    });
}

QSize InspectorPanel::sizeHint() const { return {kWidth, QFrame::sizeHint().height()}; }

QStringList InspectorPanel::selectionFacts() const {
    QStringList lines;
    for (int row = 0; row < factRows_; ++row) {
        const QLayoutItem* name = facts_->itemAtPosition(row, 0);
        const QLayoutItem* value = facts_->itemAtPosition(row, 1);
        if (name == nullptr || value == nullptr) continue;
        const auto* nameLabel = qobject_cast<const QLabel*>(name->widget());
        const auto* valueLabel = qobject_cast<const QLabel*>(value->widget());
        if (nameLabel != nullptr && valueLabel != nullptr) {
            lines << nameLabel->text() + QStringLiteral(": ") + valueLabel->text();
        }
    }
    return lines;
}

void InspectorPanel::refresh() {
    // Rewriting the rows under an open rename would throw the typed name away.
    if (renaming_) {
        pending_ = true;
        return;
    }
    refreshBodies();
    refreshSketches();
    refreshConstraints();
    refreshFacts();
    const QSignalBlocker quiet(units_);
    units_->setCurrentIndex(units_->findData(static_cast<int>(session_.document().units)));
}

void InspectorPanel::refreshBodies() {
    const CADDocument& document = session_.document();
    const Selection& selection = session_.selection();
    const auto involved = selection.involvedBodies();
    bodyIDs_.clear();
    resizeList(*bodies_, document.bodies.size());
    int current = -1;
    for (std::size_t row = 0; row < document.bodies.size(); ++row) {
        const Body& body = document.bodies[row];
        bodyIDs_.push_back(body.id);
        int flags = body.isVisible ? 0 : kHidden;
        if (involved.contains(body.id)) {
            flags |= kSelected;
            if (current < 0) current = static_cast<int>(row);
        }
        setRow(*bodies_->item(static_cast<int>(row)), QString::fromStdString(body.name), {},
               bodyColour(body.colorIndex),
               {QString::fromLatin1(body.isVisible ? "eye" : "eye.slash")}, flags);
    }
    // F2 renames the selected body; moving the current row leaves the keyboard where it is.
    if (current >= 0) bodies_->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    noBodies_->setVisible(document.bodies.empty());
}

void InspectorPanel::refreshSketches() {
    const CADDocument& document = session_.document();
    sketchIDs_.clear();
    resizeList(*sketches_, document.sketches.size());
    for (std::size_t row = 0; row < document.sketches.size(); ++row) {
        const Sketch& sketch = document.sketches[row];
        sketchIDs_.push_back(sketch.id);
        int flags = sketch.isVisible ? 0 : kHidden;
        if (session_.activeSketchID() == sketch.id) flags |= kActive;
        setRow(
            *sketches_->item(static_cast<int>(row)), QString::fromStdString(sketch.name),
            sketchDetail(sketch.entities.size(), session_.freedoms().of(sketch)),
            QVariant::fromValue(symbolIcon(std::string("square.on.square"))),
            {QStringLiteral("trash"), QString::fromLatin1(sketch.isVisible ? "eye" : "eye.slash")},
            flags);
    }
    noSketches_->setVisible(document.sketches.empty());
}

void InspectorPanel::refreshConstraints() {
    const auto sketch = session_.activeSketch();
    constraintSection_->setVisible(sketch.has_value());
    constraintRefs_.clear();
    if (!sketch) {
        resizeList(*constraints_, 0);
        return;
    }
    constraintHeading_->setText(QStringLiteral("CONSTRAINTS \u00B7 ") +
                                QString::fromStdString(sketch->name).toUpper());
    const LengthUnit units = session_.document().units;
    const Selection& selection = session_.selection();
    resizeList(*constraints_, sketch->constraints.size());
    for (std::size_t row = 0; row < sketch->constraints.size(); ++row) {
        const SketchConstraint& constraint = sketch->constraints[row];
        const SketchConstraintSel ref{sketch->id, constraint.id};
        constraintRefs_.push_back(ref);
        const QString value =
            constraint.value
                ? QString::fromStdString(UnitFormatter::string(*constraint.value, units))
                : QString();
        setRow(*constraints_->item(static_cast<int>(row)), fromStd(displayName(constraint.kind)),
               value, fromStd(glyph(constraint.kind)), {QStringLiteral("xmark")},
               selection.constraints.contains(ref) ? kSelected : 0);
    }
    noConstraints_->setVisible(sketch->constraints.empty());
}

void InspectorPanel::addFact(const QString& name, const QString& value) {
    const int row = factRows_++;
    auto* nameLabel = new QLabel(name, facts_->parentWidget());
    theme::setTextRole(*nameLabel, theme::TextRole::secondary);
    auto* valueLabel = new QLabel(value, facts_->parentWidget());
    valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    facts_->addWidget(nameLabel, row, 0);
    facts_->addWidget(valueLabel, row, 1);
}

void InspectorPanel::refreshFacts() {
    const Selection& selection = session_.selection();
    summary_->setText(QString::fromStdString(selectionSummary(selection)));
    theme::setTextRole(*summary_,
                       selection.isEmpty() ? theme::TextRole::faint : theme::TextRole::normal);
    theme::retireItems(*facts_);
    factRows_ = 0;
    const auto involved = selection.involvedBodies();
    if (involved.size() != 1) return;
    const auto body = session_.document().body(*involved.begin());
    if (!body) return;
    const LengthUnit units = session_.document().units;
    const double perUnit = millimetersPerUnit(units);
    addFact(QStringLiteral("Body"), QString::fromStdString(body->name));
    addFact(QStringLiteral("Triangles"), QString::number(body->mesh.triangleCount()));
    // The formatter writes lengths; a volume divided by the unit squared comes out in the unit
    // cubed with the same rounding.
    addFact(QStringLiteral("Volume"), QString::fromStdString(UnitFormatter::string(
                                          body->mesh.volume() / (perUnit * perUnit), units)) +
                                          QStringLiteral("\u00B3"));
    if (const auto box = body->mesh.bounds()) {
        const Vec3 extent = box->max - box->min;
        addFact(QStringLiteral("Size"),
                QStringLiteral("%1 \u00D7 %2 \u00D7 %3 %4")
                    .arg(bareLength(extent.x, units), bareLength(extent.y, units),
                         bareLength(extent.z, units), fromStd(shortLabel(units))));
    }
}

}  // namespace brontile::desktop
