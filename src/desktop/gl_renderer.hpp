// Draws the viewport's scene with OpenGL 3.3 core: the lit shaded pass (faces pushed back behind
// the lines on them), the line pass, and the two overlay passes drawn over everything. Each
// body's vertices live in GPU buffers of their own, uploaded again only when the body's chunk
// changed; the small lists are uploaded whenever the scene's version moves.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include <QOpenGLExtraFunctions>

#include "viewport/render_scene.hpp"
#include "viewport/viewport_state.hpp"

namespace brontile::desktop {

class GLRenderer {
public:
    // The shader source the program compiles at start-up: for tests that must see a broken one
    // refused.
    struct ShaderSource {
        std::string vertex;
        std::string fragment;
    };
    [[nodiscard]] static ShaderSource defaultShaders();

    GLRenderer() = default;
    GLRenderer(const GLRenderer&) = delete;
    GLRenderer& operator=(const GLRenderer&) = delete;
    ~GLRenderer();

    // Needs the context current. False (and nothing is ever drawn) when the context is older
    // than OpenGL 3.3 or the shaders do not build; the reason is kept for the curious.
    bool initialize(const ShaderSource& shaders = defaultShaders());
    [[nodiscard]] bool isReady() const { return ready_; }
    [[nodiscard]] const std::string& failure() const { return failure_; }

    // One frame into the currently bound framebuffer of `pixelWidth` × `pixelHeight` device
    // pixels: uploads what moved since the last frame, then clears and draws the four passes.
    void render(ViewportState& state, int pixelWidth, int pixelHeight);

    // Frees every GPU object; needs the context current. Called before the context goes away.
    void release();

    static constexpr float kClearRed = 0.125f;
    static constexpr float kClearGreen = 0.135f;
    static constexpr float kClearBlue = 0.155f;

private:
    struct GpuList {
        unsigned buffer = 0;
        int count = 0;
    };
    struct GpuBody {
        std::uint64_t revision = 0;
        GpuList shaded;
        GpuList lines;
        std::optional<AABB> bounds;
    };
    void locateUniforms();
    void upload(const RenderScene& scene);
    void fill(GpuList& list, const std::vector<RenderVertex>& vertices);
    void drop(GpuList& list);
    void draw(const GpuList& list, unsigned primitive, int first = 0, int count = -1);
    void setOverride(const std::optional<RGBA>& color);
    // Shaded passes are lit; lines take their colour as it is.
    void setLit(bool lit);
    // Binds the program and sets the camera's uniforms for a frame of the given aspect ratio.
    void useProgram(const OrbitCamera& camera, double aspect);
    // The buffers uploaded for the drawn body, or null when it has none.
    [[nodiscard]] const GpuBody* uploadedBody(const BodyDraw& body) const;
    // Cuts what is drawn next at the section's plane; nothing cuts it without one.
    void setCut(const std::optional<SectionPlane>& section);
    void drawShadedPass(const RenderScene& scene);
    void drawCaps(const RenderScene& scene);
    // Whether the framebuffer drawn into has stencil bits, which the caps are counted in.
    [[nodiscard]] bool hasStencil() const;
    void drawLinePass(const RenderScene& scene);
    void drawSeeThroughPass();
    void drawOverlayPasses();

    QOpenGLExtraFunctions* gl_ = nullptr;
    bool ready_ = false;
    std::string failure_;
    unsigned program_ = 0;
    unsigned vertexArray_ = 0;
    struct Uniforms {
        int viewProjection = -1;
        int cameraPosition = -1;
        int lightDirection = -1;
        int lighting = -1;
        int colorOverride = -1;
        int useOverride = -1;
        int clipPlane = -1;
    } uniforms_;

    std::optional<std::uint64_t> uploadedVersion_;
    std::unordered_map<BodyID, GpuBody> bodies_;
    GpuList ground_;
    GpuList highlights_;
    GpuList highlightLines_;
    GpuList restShaded_;
    GpuList restLines_;
    GpuList throughShaded_;
    GpuList overlayShaded_;
    GpuList overlayLines_;
    // The section's cap of one body, refilled for each.
    GpuList cap_;
};

}  // namespace brontile::desktop
