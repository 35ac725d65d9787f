// Frame texels to screen colour: packed 4:2:2 YUV unpacked and converted with the BT.601
// or BT.709 matrix, then each channel optionally passed through the 1D look-up texture.
#version 110

uniform sampler2D tex0;      // the frame, uploaded as BGRA bytes
uniform sampler1D tex1DLut;  // 256 RGB entries
uniform int Use1DLut;
uniform int UseYUV;          // 0 RGB texels, 1 U Y0 V Y1 bytes, 2 Y0 U Y1 V bytes
uniform int UseYUVType;      // non-zero BT.601, 0 BT.709
uniform float TexWidth;      // texels per row of the frame texture

void main() {
    vec2 st = gl_TexCoord[0].st;
    vec4 colour;
    if (UseYUV == 0) {
        colour = texture2D(tex0, st);
    } else {
        // Each texel holds two pixels; the half of the texel we are in picks the luma.
        // The texel is read at its centre so that neighbouring pairs do not mix.
        float u = st.s * TexWidth;
        float texel = floor(u);
        bool odd = u - texel >= 0.5;
        vec4 t = texture2D(tex0, vec2((texel + 0.5) / TexWidth, st.t));
        vec3 yuv;
        if (UseYUV == 1)
            yuv = vec3(odd ? t.a : t.g, t.b, t.r);  // bytes U Y0 V Y1 are B G R A
        else
            yuv = vec3(odd ? t.r : t.b, t.g, t.a);  // bytes Y0 U Y1 V are B G R A
        yuv += vec3(-0.0625, -0.5, -0.5);
        vec3 rgb;
        if (UseYUVType != 0) {
            rgb.r = dot(vec3(1.16438355, 0.0, 1.59602715), yuv);
            rgb.g = dot(vec3(1.16438355, -0.39115980, -0.81296805), yuv);
            rgb.b = dot(vec3(1.16438355, 2.01723105, 0.0), yuv);
        } else {
            rgb.r = dot(vec3(1.16438355, 0.0008, 1.79274180), yuv);
            rgb.g = dot(vec3(1.16438355, -0.21324885, -0.53290920), yuv);
            rgb.b = dot(vec3(1.16438355, 2.11240215, 0.0011), yuv);
        }
        colour = vec4(clamp(rgb, 0.0, 1.0), 1.0);
    }
    if (Use1DLut != 0) {
        colour.r = texture1D(tex1DLut, colour.r).r;
        colour.g = texture1D(tex1DLut, colour.g).g;
        colour.b = texture1D(tex1DLut, colour.b).b;
    }
    gl_FragColor = colour;
}
