// Offscreen colour and depth storage, and the read-back with its row flip.
#include "platform/OffscreenFramebuffer.h"

#include "engine/core/Log.h"

#include <GLES2/gl2.h>

#include <algorithm>

namespace Varnok {
namespace {

constexpr GLenum kColourFormatRgba8 = 0x8058;  // GL_RGBA8_OES

}  // namespace

OffscreenFramebuffer::~OffscreenFramebuffer() {
    Delete();
}

bool OffscreenFramebuffer::Create(int width, int height, bool withDepth) {
    Delete();
    glGenFramebuffers(1, &m_framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glGenRenderbuffers(1, &m_colour);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colour);
    glRenderbufferStorage(GL_RENDERBUFFER, kColourFormatRgba8, width, height);
    GLint reportedWidth = 0;
    GLint reportedHeight = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &reportedWidth);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &reportedHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
    if (withDepth) {
        glGenRenderbuffers(1, &m_depth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, reportedWidth, reportedHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_colour);
    }
    m_width = reportedWidth;
    m_height = reportedHeight;
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        Log("Failed to make complete framebuffer object %x", status);
        return false;
    }
    return true;
}

void OffscreenFramebuffer::Delete() {
    if (m_framebuffer != 0) {
        glDeleteFramebuffers(1, &m_framebuffer);
        m_framebuffer = 0;
    }
    if (m_depth != 0) {
        glDeleteRenderbuffers(1, &m_depth);
        m_depth = 0;
    }
    if (m_colour != 0) {
        glDeleteRenderbuffers(1, &m_colour);
        m_colour = 0;
    }
    m_width = 0;
    m_height = 0;
}

void OffscreenFramebuffer::Bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colour);
}

bool ReadFramebufferRgba(int width, int height, std::vector<uint8_t>& outRgba) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const size_t row = static_cast<size_t>(width) * 4;
    outRgba.resize(row * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, outRgba.data());
    if (glGetError() != GL_NO_ERROR) {
        return false;
    }
    // GL's first row is the bottom one; pictures start at the top.
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* top = &outRgba[static_cast<size_t>(y) * row];
        uint8_t* bottom = &outRgba[static_cast<size_t>(height - 1 - y) * row];
        std::swap_ranges(top, top + row, bottom);
    }
    return true;
}

}  // namespace Varnok
