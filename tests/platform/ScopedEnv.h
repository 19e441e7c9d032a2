// Sets or clears an environment variable for one scope.
#pragma once

#include <cstdlib>
#include <string>

namespace VarnokTest {

// Restores the environment variable when it goes.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (m_had) {
            m_old = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

}  // namespace VarnokTest
