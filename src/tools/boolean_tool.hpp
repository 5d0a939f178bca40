// Union, subtraction and intersection of two bodies: with two bodies selected the operation runs
// at once; otherwise the person clicks the first body, then the second.
#pragma once

#include <optional>
#include <string>

#include "kernel/boolean_op.hpp"
#include "tools/modeling_tool.hpp"

namespace brontile {

class BooleanTool final : public ModelingTool {
public:
    explicit BooleanTool(BooleanOp op);

    [[nodiscard]] BooleanOp op() const { return op_; }
    [[nodiscard]] bool isBusy() const override { return first_.has_value(); }
    void activate(ModelingContext& context) override;
    void deactivate(ModelingContext& context) override;
    void pointer(const PointerEvent& event, ModelingContext& context) override;
    bool key(ToolKey key, ModelingContext& context) override;
    // An inspector row counts as a click on the body.
    bool pickBody(const BodyID& body, ModelingContext& context) override;

private:
    void take(const BodyID& body, ModelingContext& context);
    void chooseFirst(const BodyID& body, ModelingContext& context);
    void perform(const BodyID& a, const BodyID& b, ModelingContext& context);
    // The work of perform, off the window's thread: the result or why there is none, and what
    // writes it.
    [[nodiscard]] ModelingContext::Finish combined(const GeometryKernel& kernel, const Body& first,
                                                   const Body& second, BooleanOp op,
                                                   const std::string& stepName, Progress& progress);

    BooleanOp op_;
    std::optional<BodyID> first_;
};

}  // namespace brontile
