// The spheres in one draw call. The driver's cost on a software rasteriser
// is mostly per call and per change of state, not per triangle it is given:
// 410 calls each with their own matrices cost far more than one call for
// 410 copies of the sphere. The lighting that the fixed functions did per
// vertex is done per vertex here with the same formula and the same light
// and material (read from the fixed-function state itself), so the picture
// is the one the 1.1 way draws.

#include "sphere_drawers.h"

#include <cstddef>
#include <vector>

#include "object_shape.h"
#include "shader_functions.h"

namespace vessmark {

namespace {

// Generic vertex attributes: two per vertex of the sphere, four per object.
enum Attribute : GLuint {
    PositionAttribute,
    NormalAttribute,
    TurnXAttribute, // first row of the object's turn, and its x
    TurnYAttribute,
    TurnZAttribute,
    ColourAttribute, // its colour, and its stretch
    AttributeCount,
};
constexpr GLuint FirstObjectAttribute = TurnXAttribute;
constexpr int FloatsPerObject = 16;
constexpr GLsizei ObjectStride = FloatsPerObject * sizeof(float);

const char* const AttributeNames[AttributeCount] = {"position", "normal", "turnX", "turnY", "turnZ", "colourStretch"};

// GLSL 1.10, the version every driver with shaders takes, and the one whose
// built-in state reaches the fixed-function light and material.
const char* const VertexShaderSource = R"(#version 110
attribute vec3 position;
attribute vec3 normal;
attribute vec4 turnX;
attribute vec4 turnY;
attribute vec4 turnZ;
attribute vec4 colourStretch;

void main()
{
    vec3 stretched = vec3(position.xy, position.z * colourStretch.a);
    vec4 eye = vec4(dot(turnX.xyz, stretched) + turnX.w, dot(turnY.xyz, stretched) + turnY.w,
                    dot(turnZ.xyz, stretched) + turnZ.w, 1.0);
    gl_Position = gl_ModelViewProjectionMatrix * eye;

    // The normal goes through the inverse transpose of the placement and is
    // not made unit length again, as fixed-function lighting without
    // GL_NORMALIZE has it: a stretched sphere is lit darker along its length.
    vec3 unstretched = vec3(normal.xy, normal.z / colourStretch.a);
    vec3 n = vec3(dot(turnX.xyz, unstretched), dot(turnY.xyz, unstretched), dot(turnZ.xyz, unstretched));

    // One directional light, a viewer at infinity, colour material for
    // ambient and diffuse.
    vec3 colour = colourStretch.rgb;
    float diffuse = dot(n, normalize(gl_LightSource[0].position.xyz));
    float specular = 0.0;
    if (diffuse > 0.0) {
        specular = pow(max(dot(n, gl_LightSource[0].halfVector.xyz), 0.0), gl_FrontMaterial.shininess);
    }
    vec3 lit = gl_FrontMaterial.emission.rgb + gl_LightModel.ambient.rgb * colour
               + gl_LightSource[0].ambient.rgb * colour + max(diffuse, 0.0) * gl_LightSource[0].diffuse.rgb * colour
               + specular * gl_FrontLightProduct[0].specular.rgb;
    gl_FrontColor = vec4(clamp(lit, 0.0, 1.0), 1.0);
}
)";

const char* const FragmentShaderSource = R"(#version 110
void main()
{
    gl_FragColor = gl_Color;
}
)";

class InstancedSphereDrawer final : public SphereDrawer {
public:
    InstancedSphereDrawer(const ShaderFunctions& functions, const SphereMesh& mesh, std::size_t objectCount)
        : gl_(functions), indexCount_(static_cast<GLsizei>(mesh.Indices.size())),
          trailingNormal_(mesh.TrailingNormal), objects_(objectCount * FloatsPerObject)
    {
    }

    // The program and the buffers; false when the driver refused any.
    bool Build(const SphereMesh& mesh);

    // All of every sphere in one call: what a driver with shaders costs per
    // call outweighs what it costs per triangle.
    void Draw(std::span<const SphereInstance> spheres, const Vector3& eye) override;

private:
    GLuint CompileShader(GLenum kind, const char* source) const;

    ShaderFunctions gl_;
    GLsizei indexCount_ = 0;
    Vector3 trailingNormal_;
    std::vector<float> objects_; // FloatsPerObject per object, refilled every frame
    GLuint program_ = 0;
    GLuint vertexBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    GLuint objectBuffer_ = 0;
};

GLuint InstancedSphereDrawer::CompileShader(GLenum kind, const char* source) const
{
    const GLuint shader = gl_.CreateShader(kind);
    gl_.ShaderSource(shader, 1, &source, nullptr);
    gl_.CompileShader(shader);
    GLint compiled = GL_FALSE;
    gl_.GetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        gl_.DeleteShader(shader);
        return 0;
    }
    return shader;
}

bool InstancedSphereDrawer::Build(const SphereMesh& mesh)
{
    // Errors left from before are not this drawer's (a context reports a
    // bounded number of them).
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    const GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, VertexShaderSource);
    const GLuint fragmentShader = CompileShader(GL_FRAGMENT_SHADER, FragmentShaderSource);
    if (vertexShader == 0 || fragmentShader == 0) {
        return false;
    }
    program_ = gl_.CreateProgram();
    gl_.AttachShader(program_, vertexShader);
    gl_.AttachShader(program_, fragmentShader);
    for (GLuint attribute = 0; attribute < AttributeCount; ++attribute) {
        gl_.BindAttribLocation(program_, attribute, AttributeNames[attribute]);
    }
    gl_.LinkProgram(program_);
    // The program keeps what it needs of them.
    gl_.DeleteShader(vertexShader);
    gl_.DeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    gl_.GetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        return false;
    }

    GLuint buffers[3] = {};
    gl_.GenBuffers(3, buffers);
    vertexBuffer_ = buffers[0];
    indexBuffer_ = buffers[1];
    objectBuffer_ = buffers[2];
    gl_.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    gl_.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.Vertices.size() * sizeof(SphereVertex)),
                   mesh.Vertices.data(), GL_STATIC_DRAW);
    gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    gl_.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.Indices.size() * sizeof(std::uint16_t)),
                   mesh.Indices.data(), GL_STATIC_DRAW);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return glGetError() == GL_NO_ERROR;
}

// The sphere as the vertex shader takes it: the rows of its turn with its
// position, then its colour with its stretch.
void PutSphere(float* out, const SphereInstance& sphere)
{
    const auto& t = sphere.Placement.Turn;
    const Vector3& p = sphere.Placement.Position;
    const RgbColour& c = sphere.Colour;
    const float values[FloatsPerObject] = {t[0], t[1], t[2], p.X, //
                                           t[3], t[4], t[5], p.Y, //
                                           t[6], t[7], t[8], p.Z, //
                                           c.R,  c.G,  c.B,  sphere.Placement.Stretch};
    for (int i = 0; i < FloatsPerObject; ++i) {
        out[i] = values[i];
    }
}

void InstancedSphereDrawer::Draw(std::span<const SphereInstance> spheres, const Vector3& /*eye*/)
{
    const std::size_t count = spheres.size();
    if (count == 0 || indexCount_ == 0) {
        return;
    }
    // At most the size it was made with: nothing is allocated.
    objects_.resize(count * FloatsPerObject);
    float* out = objects_.data();
    for (const SphereInstance& sphere : spheres) {
        PutSphere(out, sphere);
        out += FloatsPerObject;
    }

    gl_.UseProgram(program_);
    gl_.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    gl_.VertexAttribPointer(PositionAttribute, 3, GL_FLOAT, GL_FALSE, sizeof(SphereVertex),
                            reinterpret_cast<const void*>(offsetof(SphereVertex, Position)));
    gl_.VertexAttribPointer(NormalAttribute, 3, GL_FLOAT, GL_FALSE, sizeof(SphereVertex),
                            reinterpret_cast<const void*>(offsetof(SphereVertex, Normal)));
    gl_.BindBuffer(GL_ARRAY_BUFFER, objectBuffer_);
    // A new store every frame: the driver need not wait for the last frame's.
    gl_.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(objects_.size() * sizeof(float)), objects_.data(),
                   GL_STREAM_DRAW);
    for (GLuint attribute = FirstObjectAttribute; attribute < AttributeCount; ++attribute) {
        const std::size_t offset = (attribute - FirstObjectAttribute) * 4 * sizeof(float);
        gl_.VertexAttribPointer(attribute, 4, GL_FLOAT, GL_FALSE, ObjectStride, reinterpret_cast<const void*>(offset));
        gl_.VertexAttribDivisor(attribute, 1);
    }
    for (GLuint attribute = 0; attribute < AttributeCount; ++attribute) {
        gl_.EnableVertexAttribArray(attribute);
    }
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    gl_.DrawElementsInstanced(GL_TRIANGLES, indexCount_, GL_UNSIGNED_SHORT, nullptr, static_cast<GLsizei>(count));

    // Back to the fixed functions for whatever is drawn next (links, the
    // frame rate), with the current normal the show's sphere always left.
    for (GLuint attribute = 0; attribute < AttributeCount; ++attribute) {
        gl_.DisableVertexAttribArray(attribute);
    }
    for (GLuint attribute = FirstObjectAttribute; attribute < AttributeCount; ++attribute) {
        gl_.VertexAttribDivisor(attribute, 0);
    }
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl_.UseProgram(0);
    glNormal3f(trailingNormal_.X, trailingNormal_.Y, trailingNormal_.Z);
}

} // namespace

std::unique_ptr<SphereDrawer> MakeInstancedSphereDrawer(const SphereMesh& mesh, const GlFunctionLoader& load,
                                                        bool arbInstancing, std::size_t objectCount)
{
    ShaderFunctions functions;
    if (mesh.Indices.empty() || !LoadShaderFunctions(load, arbInstancing, functions)) {
        return nullptr;
    }
    auto drawer = std::make_unique<InstancedSphereDrawer>(functions, mesh, objectCount);
    if (!drawer->Build(mesh)) {
        // What was made of it goes with the context.
        return nullptr;
    }
    return drawer;
}

} // namespace vessmark
