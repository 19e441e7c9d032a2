// The core 3D material: static meshes lit by nine spherical-harmonic
// coefficients, with optional specular and rim terms. Colours arrive as
// floats 0..255. Variants come from the defines put in front.
attribute vec3 IN_position;
attribute vec3 IN_normal;
attribute vec4 IN_vertexcolour;
attribute vec2 IN_uv;

uniform mat4 worldmatrix;
uniform mat4 viewmatrix;
uniform mat4 projectionmatrix;

uniform float IN_scene_ambientscale;
uniform vec3 IN_scene_eye_pos;
uniform vec3 IN_diffuse_L00;
uniform vec3 IN_diffuse_L1m1;
uniform vec3 IN_diffuse_L10;
uniform vec3 IN_diffuse_L11;
uniform vec3 IN_diffuse_L2m2;
uniform vec3 IN_diffuse_L2m1;
uniform vec3 IN_diffuse_L20;
uniform vec3 IN_diffuse_L21;
uniform vec3 IN_diffuse_L22;
uniform vec3 IN_material_uvoffset;

varying lowp vec4 v_colour;
varying mediump vec2 v_uv;
varying mediump vec3 v_normal;
varying mediump vec3 v_toEye;
varying lowp vec3 v_light;

// Irradiance of the nine coefficients in direction n (unit length).
vec3 Irradiance(vec3 n) {
    const float c1 = 0.429043;
    const float c2 = 0.511664;
    const float c3 = 0.743125;
    const float c4 = 0.886227;
    const float c5 = 0.247708;
    return c1 * IN_diffuse_L22 * (n.x * n.x - n.y * n.y) + c3 * IN_diffuse_L20 * n.z * n.z +
           c4 * IN_diffuse_L00 - c5 * IN_diffuse_L20 +
           2.0 * c1 * (IN_diffuse_L2m2 * n.x * n.y + IN_diffuse_L21 * n.x * n.z +
                       IN_diffuse_L2m1 * n.y * n.z) +
           2.0 * c2 * (IN_diffuse_L11 * n.x + IN_diffuse_L1m1 * n.y + IN_diffuse_L10 * n.z);
}

void main() {
    // Row-vector matrices arrive untransposed: they apply right to left.
    vec4 world = worldmatrix * vec4(IN_position, 1.0);
    gl_Position = projectionmatrix * (viewmatrix * world);
    v_normal = normalize((worldmatrix * vec4(IN_normal, 0.0)).xyz);
    v_toEye = IN_scene_eye_pos - world.xyz;
    v_colour = IN_vertexcolour * (1.0 / 255.0);
#ifdef USE_IMAGE_BASED_LIGHTING
    v_light = max(Irradiance(v_normal) * IN_scene_ambientscale, vec3(0.0));
#else
    v_light = vec3(1.0);
#endif
    v_uv = IN_uv;
#ifdef USE_UV_ANIMATION
    v_uv += IN_material_uvoffset.xy;
#endif
}
