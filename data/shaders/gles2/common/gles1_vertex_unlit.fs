// The texture on unit 0 tinted by the vertex colour.
precision mediump float;

uniform sampler2D diffusetexture;

varying lowp vec4 v_colour;
varying mediump vec2 v_uv;

void main() {
    gl_FragColor = texture2D(diffusetexture, v_uv) * v_colour;
}
