// The panel on the right of the viewport: the document's bodies (select, show or hide, rename),
// its sketches (edit, show or hide, delete), the constraints of the sketch being edited, a few
// facts about the selection, and the document's unit.
#pragma once

#include <vector>

#include <QFrame>

#include "desktop/session_bridge.hpp"

class QComboBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QVBoxLayout;

namespace brontile::desktop {

class InspectorPanel final : public QFrame {
    Q_OBJECT
public:
    explicit InspectorPanel(SessionBridge& bridge, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

    [[nodiscard]] QListWidget* bodyList() const { return bodies_; }
    [[nodiscard]] QListWidget* sketchList() const { return sketches_; }
    [[nodiscard]] QListWidget* constraintList() const { return constraints_; }
    [[nodiscard]] QComboBox* unitChoice() const { return units_; }
    // The facts shown about the selection, as "name: value" lines in display order.
    [[nodiscard]] QStringList selectionFacts() const;

    // Where a row's trailing buttons sit, right to left from its end, for clicks and tests.
    [[nodiscard]] static QRect actionRect(const QRect& row, int action);

private:
    // The scrolling column of sections, built in `parent`.
    QWidget* createContent(QWidget* parent);
    // Each adds its heading, rows and empty note to `column`, laid out in `content`.
    void addBodySection(QVBoxLayout& column, QWidget* content);
    void addSketchSection(QVBoxLayout& column, QWidget* content);
    void addConstraintSection(QVBoxLayout& column, QWidget* content);
    void addSelectionSection(QVBoxLayout& column, QWidget* content);
    // The unit choice below the scrolling part.
    QWidget* createUnitFoot();
    void connectSignals(SessionBridge& bridge);
    void refresh();
    void refreshBodies();
    void refreshSketches();
    void refreshConstraints();
    void refreshFacts();
    void addFact(const QString& name, const QString& value);

    DocumentSession& session_;
    QListWidget* bodies_ = nullptr;
    QLabel* noBodies_ = nullptr;
    QListWidget* sketches_ = nullptr;
    QLabel* noSketches_ = nullptr;
    QWidget* constraintSection_ = nullptr;
    QLabel* constraintHeading_ = nullptr;
    QListWidget* constraints_ = nullptr;
    QLabel* noConstraints_ = nullptr;
    QLabel* summary_ = nullptr;
    QGridLayout* facts_ = nullptr;
    int factRows_ = 0;
    QComboBox* units_ = nullptr;
    std::vector<BodyID> bodyIDs_;
    std::vector<Uuid> sketchIDs_;
    std::vector<SketchConstraintSel> constraintRefs_;
    // A rebuild asked for while a name is being typed waits until the typing ends.
    bool renaming_ = false;
    bool pending_ = false;
};

}  // namespace brontile::desktop
