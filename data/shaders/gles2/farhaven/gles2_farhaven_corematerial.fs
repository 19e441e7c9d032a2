// The core 3D material's colour: texture or vertex colour, times the
// material colour and the lighting, plus specular and rim terms.
precision mediump float;

uniform sampler2D IN_texture_diffuse;
uniform sampler2D IN_texture_skymap_specular;
uniform float IN_material_speclevel;
uniform float IN_material_specpow;
uniform float IN_material_ambientscale;
uniform vec3 IN_material_ambientcolour;
uniform vec4 IN_material_colour;
uniform vec3 IN_material_RimColour;
uniform float IN_material_RimPower;
uniform float IN_material_RimScale;
uniform vec3 IN_scene_eye_dir;

varying lowp vec4 v_colour;
varying mediump vec2 v_uv;
varying mediump vec3 v_normal;
varying mediump vec3 v_toEye;
varying lowp vec3 v_light;

void main() {
    vec3 n = normalize(v_normal);
    vec3 toEye = normalize(v_toEye);
#ifdef USE_DIFFUSE_TEXTURE
    vec4 base = texture2D(IN_texture_diffuse, v_uv) * v_colour;
#else
    vec4 base = v_colour;
#endif
    // The material's ambient factors scale the lighting (1 by default).
    vec3 colour = base.rgb * IN_material_colour.rgb * v_light * IN_material_ambientscale *
                  IN_material_ambientcolour;
#ifdef USE_SPECULAR
    // The sky map seen in the reflected direction, sharpened by the power.
    vec3 reflected = reflect(-toEye, n);
    vec3 sky = texture2D(IN_texture_skymap_specular, reflected.xy * 0.5 + 0.5).rgb;
    float highlight = pow(max(dot(reflected, -normalize(IN_scene_eye_dir)), 0.0), IN_material_specpow);
    colour += IN_material_speclevel * highlight * sky;
#endif
#ifdef USE_RIM_SHADING
    float rim = pow(1.0 - max(dot(n, toEye), 0.0), IN_material_RimPower);
    colour += IN_material_RimColour * rim * IN_material_RimScale;
#endif
    gl_FragColor = vec4(colour, base.a * IN_material_colour.a);
}
