// Textured, vertex-coloured drawing without lighting (immediate drawing and
// the batch's primitive lists). Colours arrive as floats 0..255.
attribute vec3 IN_position;
attribute vec4 IN_vertexcolour;
attribute vec2 IN_uv;

uniform mat4 worldmatrix;
uniform mat4 viewmatrix;
uniform mat4 projectionmatrix;
uniform mat4 texturematrix;
uniform vec4 displaycolour;

varying lowp vec4 v_colour;
varying mediump vec2 v_uv;

void main() {
    // The engine's row-vector matrices arrive untransposed, so they apply
    // right to left here: world, then view, then projection.
    gl_Position = projectionmatrix * (viewmatrix * (worldmatrix * vec4(IN_position, 1.0)));
    v_colour = IN_vertexcolour * displaycolour * (1.0 / (255.0 * 255.0));
    v_uv = (texturematrix * vec4(IN_uv, 0.0, 1.0)).xy;
}
