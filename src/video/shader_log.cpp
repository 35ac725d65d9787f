// Compile and link results of the display's shader programs: a failure's log goes to the
// host's error callback instead of vanishing.
#include <GL/glew.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/report.h"
#include "video/video_internal.h"

namespace zu::detail {
namespace {

std::string infoLog(GLuint object, bool program) {
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(std::max(length, 1)) + 1, '\0');
    if (program)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

}  // namespace

bool shaderCompiled(unsigned shader, const char* name) {
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) reportFailure("shader %s did not compile: %s", name, infoLog(shader, false).c_str());
    return ok != 0;
}

bool programLinked(unsigned program, const char* name) {
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) reportFailure("program %s did not link: %s", name, infoLog(program, true).c_str());
    return ok != 0;
}

}  // namespace zu::detail
