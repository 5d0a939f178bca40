#include "desktop/gl_renderer.hpp"

#include <array>
#include <cstddef>
#include <unordered_set>
#include <vector>

#include <QOpenGLContext>

namespace brontile::desktop {
namespace {

// How far the faces are pushed back in depth so that the edges and sketches lying on them win:
// by their slope (grazing faces need more) and a few steps of the depth buffer. A fixed pull of
// the lines towards the viewer instead spanned a sixth of the view at the near plane, and the
// back edges of a hole showed through the face in front of them.
constexpr float kFaceOffsetSlope = 1.0f;
constexpr float kFaceOffsetUnits = 2.0f;
constexpr GLsizei kStride = sizeof(RenderVertex);

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec4 inNormal;
layout(location = 2) in vec4 inColor;

uniform mat4 viewProjection;
uniform vec4 clipPlane;
uniform vec4 colorOverride;
uniform float useOverride;

out vec3 worldPosition;
out vec3 worldNormal;
out vec4 vertexColor;

// A face drawn again in its highlight colour must land on exactly the depth it had.
invariant gl_Position;

void main() {
    worldPosition = inPosition.xyz;
    vec4 clip = viewProjection * vec4(inPosition.xyz, 1.0);
    // The camera's depth runs over [0, w]; OpenGL clips over [-w, w].
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    // Only looked at while the section cuts the bodies (GL_CLIP_DISTANCE0).
    gl_ClipDistance[0] = dot(clipPlane, vec4(inPosition.xyz, 1.0));
    worldNormal = inNormal.xyz;
    vertexColor = useOverride > 0.5 ? colorOverride : inColor;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec3 worldPosition;
in vec3 worldNormal;
in vec4 vertexColor;

uniform vec4 cameraPosition;
uniform vec4 lightDirection;
uniform float lighting;

out vec4 fragmentColor;

void main() {
    if (lighting < 0.5) {
        fragmentColor = vertexColor;
        return;
    }
    vec3 n = normalize(worldNormal);
    vec3 viewDir = normalize(cameraPosition.xyz - worldPosition);
    // Faces of either winding are lit from the viewer's side.
    if (dot(n, viewDir) < 0.0) n = -n;
    vec3 l = normalize(lightDirection.xyz);
    float diffuse = max(dot(n, l), 0.0);
    float headlight = max(dot(n, viewDir), 0.0) * 0.30;
    vec3 h = normalize(l + viewDir);
    float specular = pow(max(dot(n, h), 0.0), 40.0) * 0.18;
    vec3 sky = vec3(0.55, 0.6, 0.7) * (0.5 + 0.5 * n.z) * 0.18;
    fragmentColor = vec4(vertexColor.rgb * (0.28 + 0.52 * diffuse + headlight) + sky + specular,
                         vertexColor.a);
}
)";

// The box around a chunk's vertices; nothing for none.
std::optional<AABB> boundsOf(const std::vector<RenderVertex>& vertices) {
    if (vertices.empty()) return std::nullopt;
    Float4 low = vertices.front().position;
    Float4 high = low;
    for (const RenderVertex& vertex : vertices) {
        const Float4& p = vertex.position;
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z), 1};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z), 1};
    }
    return AABB({low.x, low.y, low.z}, {high.x, high.y, high.z});
}

// Two triangles on the section plane, wide enough to cover the body's cut whatever its shape.
std::vector<RenderVertex> capQuad(const SectionPlane& plane, const AABB& bounds,
                                  const RGBA& color) {
    const Vec3 middle = bounds.center();
    const Vec3 centre = middle - plane.normal * plane.signedDistance(middle);
    const double reach = std::max(bounds.radius() * 2, 1.0);
    const Vec3 u = plane.normal.anyPerpendicular() * reach;
    const Vec3 v = plane.normal.cross(u.normalized()) * reach;
    const Vec3 facing = -plane.normal;
    const std::array corners{centre - u - v, centre + u - v, centre + u + v, centre - u + v};
    std::vector<RenderVertex> quad;
    for (const std::size_t i : {0, 1, 2, 0, 2, 3}) quad.emplace_back(corners[i], facing, color);
    return quad;
}

// Why the context cannot run the renderer, or nothing when it can.
std::optional<std::string> unsupportedReason(const QOpenGLContext* context) {
    if (context == nullptr || !context->isValid()) return "no OpenGL context";
    if (context->isOpenGLES() || context->format().version() < qMakePair(3, 3)) {
        return "OpenGL 3.3 is not available";
    }
    return std::nullopt;
}

// The compiled shader, or 0 with `failure` holding the compiler's log.
GLuint compileShader(QOpenGLExtraFunctions& gl, GLenum kind, const std::string& source,
                     std::string& failure) {
    const GLuint shader = gl.glCreateShader(kind);
    const char* text = source.c_str();
    gl.glShaderSource(shader, 1, &text, nullptr);
    gl.glCompileShader(shader);
    GLint ok = 0;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        std::vector<char> log(2048);
        gl.glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        failure = std::string("shader: ") + log.data();
        gl.glDeleteShader(shader);
        return 0;
    }
    return shader;
}

struct CompiledShaders {
    GLuint vertex = 0;
    GLuint fragment = 0;
};

// Both shaders compiled, or nothing, with no shader left behind and `failure` saying why.
std::optional<CompiledShaders> compileShaders(QOpenGLExtraFunctions& gl,
                                              const GLRenderer::ShaderSource& shaders,
                                              std::string& failure) {
    const GLuint vertex = compileShader(gl, GL_VERTEX_SHADER, shaders.vertex, failure);
    if (vertex == 0) return std::nullopt;
    const GLuint fragment = compileShader(gl, GL_FRAGMENT_SHADER, shaders.fragment, failure);
    if (fragment == 0) {
        gl.glDeleteShader(vertex);
        return std::nullopt;
    }
    return CompiledShaders{vertex, fragment};
}

// The linked program, or 0 with `failure` saying so. The shaders are freed either way: the
// program keeps what it needs of them.
GLuint linkProgram(QOpenGLExtraFunctions& gl, CompiledShaders shaders, std::string& failure) {
    const GLuint program = gl.glCreateProgram();
    gl.glAttachShader(program, shaders.vertex);
    gl.glAttachShader(program, shaders.fragment);
    gl.glLinkProgram(program);
    gl.glDeleteShader(shaders.vertex);
    gl.glDeleteShader(shaders.fragment);
    GLint linked = 0;
    gl.glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == 0) {
        failure = "shader program does not link";
        gl.glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Sets the viewport and the fixed state of every frame, and clears colour and depth.
void clearFrame(QOpenGLExtraFunctions& gl, int pixelWidth, int pixelHeight) {
    gl.glViewport(0, 0, pixelWidth, pixelHeight);
    gl.glClearColor(GLRenderer::kClearRed, GLRenderer::kClearGreen, GLRenderer::kClearBlue, 1.0f);
    gl.glClearDepthf(1.0f);
    gl.glDepthMask(GL_TRUE);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The arrow's cones are wound inward: nothing is culled, every face is lit from the viewer.
    gl.glDisable(GL_CULL_FACE);
    gl.glFrontFace(GL_CCW);
    gl.glDisable(GL_BLEND);
}

}  // namespace

GLRenderer::ShaderSource GLRenderer::defaultShaders() { return {kVertexShader, kFragmentShader}; }

GLRenderer::~GLRenderer() = default;

bool GLRenderer::initialize(const ShaderSource& shaders) {
    ready_ = false;
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (const std::optional<std::string> reason = unsupportedReason(context)) {
        failure_ = *reason;
        return false;
    }
    gl_ = context->extraFunctions();
    if (gl_ == nullptr) {
        failure_ = "no OpenGL functions";
        return false;
    }
    const std::optional<CompiledShaders> compiled = compileShaders(*gl_, shaders, failure_);
    if (!compiled) return false;
    program_ = linkProgram(*gl_, *compiled, failure_);
    if (program_ == 0) return false;
    locateUniforms();
    gl_->glGenVertexArrays(1, &vertexArray_);
    uploadedVersion_.reset();
    failure_.clear();
    ready_ = true;
    return true;
}

void GLRenderer::locateUniforms() {
    uniforms_.viewProjection = gl_->glGetUniformLocation(program_, "viewProjection");
    uniforms_.cameraPosition = gl_->glGetUniformLocation(program_, "cameraPosition");
    uniforms_.lightDirection = gl_->glGetUniformLocation(program_, "lightDirection");
    uniforms_.lighting = gl_->glGetUniformLocation(program_, "lighting");
    uniforms_.colorOverride = gl_->glGetUniformLocation(program_, "colorOverride");
    uniforms_.useOverride = gl_->glGetUniformLocation(program_, "useOverride");
    uniforms_.clipPlane = gl_->glGetUniformLocation(program_, "clipPlane");
}

void GLRenderer::release() {
    if (gl_ == nullptr) return;
    for (auto& [id, body] : bodies_) {
        drop(body.shaded);
        drop(body.lines);
    }
    bodies_.clear();
    for (GpuList* list : {&ground_, &highlights_, &highlightLines_, &restShaded_, &restLines_,
                          &throughShaded_, &overlayShaded_, &overlayLines_, &cap_}) {
        drop(*list);
    }
    if (vertexArray_ != 0) gl_->glDeleteVertexArrays(1, &vertexArray_);
    if (program_ != 0) gl_->glDeleteProgram(program_);
    vertexArray_ = 0;
    program_ = 0;
    uploadedVersion_.reset();
    ready_ = false;
}

void GLRenderer::fill(GpuList& list, const std::vector<RenderVertex>& vertices) {
    if (vertices.empty()) return drop(list);
    if (list.buffer == 0) gl_->glGenBuffers(1, &list.buffer);
    gl_->glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
    gl_->glBufferData(GL_ARRAY_BUFFER,
                      static_cast<GLsizeiptr>(vertices.size() * sizeof(RenderVertex)),
                      vertices.data(), GL_STATIC_DRAW);
    list.count = static_cast<int>(vertices.size());
}

void GLRenderer::drop(GpuList& list) {
    if (list.buffer != 0) gl_->glDeleteBuffers(1, &list.buffer);
    list = {};
}

void GLRenderer::upload(const RenderScene& scene) {
    std::unordered_set<BodyID> present;
    for (const BodyDraw& draw : scene.bodies) {
        if (!draw.chunk) continue;
        present.insert(draw.chunk->body);
        GpuBody& body = bodies_[draw.chunk->body];
        if (body.revision == draw.chunk->revision && (body.shaded.buffer || body.lines.buffer)) {
            continue;
        }
        body.revision = draw.chunk->revision;
        body.bounds = boundsOf(draw.chunk->shaded);
        fill(body.shaded, draw.chunk->shaded);
        fill(body.lines, draw.chunk->lines);
    }
    for (auto it = bodies_.begin(); it != bodies_.end();) {
        if (present.contains(it->first)) {
            ++it;
            continue;
        }
        drop(it->second.shaded);
        drop(it->second.lines);
        it = bodies_.erase(it);
    }
    fill(ground_, scene.groundLines);
    fill(highlights_, scene.highlights);
    fill(highlightLines_, scene.highlightLines);
    fill(restShaded_, scene.rest.shaded);
    fill(restLines_, scene.rest.lines);
    fill(throughShaded_, scene.rest.throughShaded);
    fill(overlayShaded_, scene.rest.overlayShaded);
    fill(overlayLines_, scene.rest.overlayLines);
}

void GLRenderer::draw(const GpuList& list, unsigned primitive, int first, int count) {
    if (list.buffer == 0) return;
    const int drawn = count < 0 ? list.count - first : count;
    if (drawn < 1) return;
    gl_->glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
    for (GLuint attribute = 0; attribute < 3; ++attribute) {
        gl_->glEnableVertexAttribArray(attribute);
        gl_->glVertexAttribPointer(attribute, 4, GL_FLOAT, GL_FALSE, kStride,
                                   reinterpret_cast<const void*>(attribute * sizeof(Float4)));
    }
    gl_->glDrawArrays(primitive, first, drawn);
}

void GLRenderer::setOverride(const std::optional<RGBA>& color) {
    gl_->glUniform1f(uniforms_.useOverride, color ? 1.0f : 0.0f);
    if (color) gl_->glUniform4f(uniforms_.colorOverride, color->r, color->g, color->b, color->a);
}

void GLRenderer::setLit(bool lit) { gl_->glUniform1f(uniforms_.lighting, lit ? 1.0f : 0.0f); }

void GLRenderer::render(ViewportState& state, int pixelWidth, int pixelHeight) {
    state.rebuildIfNeeded();
    if (!ready_) return;
    if (uploadedVersion_ != state.version) {
        uploadedVersion_ = state.version;
        upload(state.scene);
    }
    clearFrame(*gl_, pixelWidth, pixelHeight);
    const double aspect = static_cast<double>(pixelWidth) / std::max(pixelHeight, 1);
    useProgram(state.camera, aspect);
    setCut(std::nullopt);
    gl_->glEnable(GL_DEPTH_TEST);
    gl_->glDepthFunc(GL_LEQUAL);
    gl_->glDepthMask(GL_TRUE);
    drawShadedPass(state.scene);
    drawCaps(state.scene);
    drawLinePass(state.scene);
    drawSeeThroughPass();
    drawOverlayPasses();
    gl_->glBindVertexArray(0);
    gl_->glUseProgram(0);
}

// Outside the cut the plane keeps everything, whether or not the driver honours the switch.
void GLRenderer::setCut(const std::optional<SectionPlane>& section) {
    if (section) {
        gl_->glEnable(GL_CLIP_DISTANCE0);
    } else {
        gl_->glDisable(GL_CLIP_DISTANCE0);
    }
    const std::array<double, 4> kept =
        section ? section->keptSide() : std::array<double, 4>{0, 0, 0, 1};
    gl_->glUniform4f(uniforms_.clipPlane, static_cast<float>(kept[0]), static_cast<float>(kept[1]),
                     static_cast<float>(kept[2]), static_cast<float>(kept[3]));
}

void GLRenderer::useProgram(const OrbitCamera& camera, double aspect) {
    const Float4x4 viewProjection = camera.viewProjection(aspect);
    const Vec3 eye = camera.viewOrigin();
    const Vec3 light = (camera.right() * 0.6 - camera.forward() + camera.up() * 0.9).normalized();
    gl_->glUseProgram(program_);
    gl_->glBindVertexArray(vertexArray_);
    gl_->glUniformMatrix4fv(uniforms_.viewProjection, 1, GL_FALSE, &viewProjection.columns[0].x);
    gl_->glUniform4f(uniforms_.cameraPosition, static_cast<float>(eye.x), static_cast<float>(eye.y),
                     static_cast<float>(eye.z), 1.0f);
    gl_->glUniform4f(uniforms_.lightDirection, static_cast<float>(light.x),
                     static_cast<float>(light.y), static_cast<float>(light.z), 0.0f);
    setOverride(std::nullopt);
}

const GLRenderer::GpuBody* GLRenderer::uploadedBody(const BodyDraw& body) const {
    const auto found = body.chunk ? bodies_.find(body.chunk->body) : bodies_.end();
    return found == bodies_.end() ? nullptr : &found->second;
}

// Bodies and previews, lit, pushed back a little behind the lines drawn on them.
void GLRenderer::drawShadedPass(const RenderScene& scene) {
    setLit(true);
    gl_->glEnable(GL_POLYGON_OFFSET_FILL);
    gl_->glPolygonOffset(kFaceOffsetSlope, kFaceOffsetUnits);
    setCut(scene.section);
    for (const BodyDraw& body : scene.bodies) {
        const GpuBody* uploaded = uploadedBody(body);
        if (uploaded == nullptr) continue;
        setOverride(body.shadedColor);
        draw(uploaded->shaded, GL_TRIANGLES);
        setOverride(std::nullopt);
        draw(highlights_, GL_TRIANGLES, static_cast<int>(body.highlightStart),
             static_cast<int>(body.highlightCount));
    }
    draw(restShaded_, GL_TRIANGLES);
    gl_->glDisable(GL_POLYGON_OFFSET_FILL);
}

// Grid, outlines and sketches, depth-tested against the faces pushed back behind them: an edge or
// sketch on a face shows, one behind a face does not.
void GLRenderer::drawLinePass(const RenderScene& scene) {
    setLit(false);
    draw(ground_, GL_LINES);
    setCut(scene.section);
    for (const BodyDraw& body : scene.bodies) {
        const GpuBody* uploaded = uploadedBody(body);
        if (uploaded == nullptr) continue;
        setOverride(body.lineColor);
        draw(uploaded->lines, GL_LINES);
    }
    setOverride(std::nullopt);
    draw(highlightLines_, GL_LINES);
    setCut(std::nullopt);
    draw(restLines_, GL_LINES);
}

// See-through previews over the bodies: the depth so far is dropped, the previews' own depth laid
// down first, so that only their nearest surface is blended over the picture.
void GLRenderer::drawSeeThroughPass() {
    if (throughShaded_.buffer == 0) return;
    gl_->glClear(GL_DEPTH_BUFFER_BIT);
    setLit(true);
    gl_->glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    draw(throughShaded_, GL_TRIANGLES);
    gl_->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl_->glEnable(GL_BLEND);
    gl_->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl_->glDepthMask(GL_FALSE);
    draw(throughShaded_, GL_TRIANGLES);
    gl_->glDepthMask(GL_TRUE);
    gl_->glDisable(GL_BLEND);
}

// The section's caps: for each body, the pixels where the plane lies inside it are those its cut
// surface covers an odd number of times (the eye is outside every solid), counted in the stencil;
// a quad on the plane is then filled there alone, depth-tested like a face.
void GLRenderer::drawCaps(const RenderScene& scene) {
    // Without a stencil every quad would fill its whole square: the cut then stays open.
    if (!scene.section || !hasStencil()) return;
    setLit(true);
    gl_->glEnable(GL_STENCIL_TEST);
    gl_->glEnable(GL_POLYGON_OFFSET_FILL);
    gl_->glPolygonOffset(kFaceOffsetSlope, kFaceOffsetUnits);
    for (const BodyDraw& body : scene.bodies) {
        const GpuBody* uploaded = uploadedBody(body);
        if (uploaded == nullptr || !uploaded->bounds) continue;
        gl_->glClear(GL_STENCIL_BUFFER_BIT);
        gl_->glStencilFunc(GL_ALWAYS, 0, 1);
        gl_->glStencilOp(GL_KEEP, GL_KEEP, GL_INVERT);
        gl_->glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        gl_->glDepthMask(GL_FALSE);
        gl_->glDepthFunc(GL_ALWAYS);
        setCut(scene.section);
        draw(uploaded->shaded, GL_TRIANGLES);
        setCut(std::nullopt);
        gl_->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        gl_->glDepthMask(GL_TRUE);
        gl_->glDepthFunc(GL_LEQUAL);
        gl_->glStencilFunc(GL_EQUAL, 1, 1);
        gl_->glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        fill(cap_, capQuad(*scene.section, *uploaded->bounds, body.capColor));
        draw(cap_, GL_TRIANGLES);
    }
    gl_->glDisable(GL_POLYGON_OFFSET_FILL);
    gl_->glDisable(GL_STENCIL_TEST);
}

bool GLRenderer::hasStencil() const {
    GLint framebuffer = 0;
    gl_->glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    const GLenum attachment = framebuffer == 0 ? GL_STENCIL : GL_STENCIL_ATTACHMENT;
    // The size may only be asked of an attachment that is there.
    GLint type = GL_NONE;
    gl_->glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                               GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type == GL_NONE) return false;
    GLint bits = 0;
    gl_->glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                               GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &bits);
    return bits > 0;
}

// Tool overlays over everything: shaded, then lines.
void GLRenderer::drawOverlayPasses() {
    gl_->glDisable(GL_DEPTH_TEST);
    setLit(true);
    draw(overlayShaded_, GL_TRIANGLES);
    setLit(false);
    draw(overlayLines_, GL_LINES);
}

}  // namespace brontile::desktop
