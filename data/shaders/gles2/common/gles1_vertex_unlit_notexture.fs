// The interpolated vertex colour.
precision mediump float;

varying lowp vec4 v_colour;

void main() {
    gl_FragColor = v_colour;
}
