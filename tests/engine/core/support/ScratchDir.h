// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
#pragma once

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>

namespace VarnokTest {

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/varnok-test-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            m_path = pattern;
        }
    }
    ~ScratchDir() {
        if (!m_path.empty()) {
            nftw(m_path.c_str(), &RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "/" + name; }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream out(PathOf(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
        return remove(path);
    }

    std::string m_path;
};

}  // namespace VarnokTest
