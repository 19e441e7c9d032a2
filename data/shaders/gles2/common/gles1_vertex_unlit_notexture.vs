// Vertex-coloured drawing with no texture bound. Colours arrive as floats
// 0..255.
attribute vec3 IN_position;
attribute vec4 IN_vertexcolour;

uniform mat4 worldmatrix;
uniform mat4 viewmatrix;
uniform mat4 projectionmatrix;
uniform vec4 displaycolour;

varying lowp vec4 v_colour;

void main() {
    // Row-vector matrices, untransposed: world, then view, then projection.
    gl_Position = projectionmatrix * (viewmatrix * (worldmatrix * vec4(IN_position, 1.0)));
    v_colour = IN_vertexcolour * displaycolour * (1.0 / (255.0 * 255.0));
}
