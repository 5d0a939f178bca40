// The dimensions' values over the viewport, upright and at one size whatever the zoom, in the
// boxes the viewport picks them by. A see-through layer over the drawing surface: it takes no
// input, and paints only when a frame was drawn.
#pragma once

#include <QWidget>

#include "viewport/viewport_state.hpp"

namespace brontile::desktop {

class DimensionLabels final : public QWidget {
    Q_OBJECT
public:
    DimensionLabels(const ViewportState& viewport, QWidget* parent);

    // After a drawn frame: the values move with the frame they belong to. A view with no values,
    // now or before, is not painted over at all.
    void followFrame();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ViewportState& viewport_;
    bool showing_ = false;
};

}  // namespace brontile::desktop
