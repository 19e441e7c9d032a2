// Sprite quads of the 2D batch: position and texture coordinates only; the
// whole quad takes the renderer's display colour.
attribute vec3 IN_position;
attribute vec2 IN_uv;

uniform mat4 worldmatrix;
uniform mat4 viewmatrix;
uniform mat4 projectionmatrix;
uniform vec4 displaycolour;

varying lowp vec4 v_colour;
varying mediump vec2 v_uv;

void main() {
    // Row-vector matrices, untransposed: world, then view, then projection.
    gl_Position = projectionmatrix * (viewmatrix * (worldmatrix * vec4(IN_position, 1.0)));
    v_colour = displaycolour * (1.0 / 255.0);
    v_uv = IN_uv;
}
