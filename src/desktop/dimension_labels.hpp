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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ViewportState& viewport_;
};

}  // namespace brontile::desktop
