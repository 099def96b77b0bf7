// Scripted runs of ostrelctl-host against the simulated camera: every method
// of the dispatch table through the host, compared with the expected output.
//
// Each scenario is a script under scripts/ with its expected lines beside it
// (`<*>` in an expected line stands for anything: addresses, frame rates).
// Comment lines of a script say which simulated camera the run has
// ("; camera: K2M", or none) and how "Select Device" is answered
// ("; select: TEXT"). The host runs with no network adapter at all, so the
// simulated camera is device 0 and no real adapter is ever opened.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct HostRun {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::string errors;
};

std::vector<std::string> readLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string directive(const fs::path& script, const std::string& key) {
    for (const std::string& line : readLines(script)) {
        const std::string prefix = "; " + key + ": ";
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return {};
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

HostRun runHost(const fs::path& script, const fs::path& workDir) {
    const std::string camera = directive(script, "camera");
    const std::string select = directive(script, "select");
    std::string asan = "verify_asan_link_order=0";
    if (const char* given = std::getenv("ASAN_OPTIONS")) {
        asan = std::string(given) + ":" + asan;
    }
    std::ostringstream command;
    command << "cd " << quoted(workDir.string())
            << " && env -u DISPLAY -u WAYLAND_DISPLAY -u OSTREL_SIMULATED_CAMERA"
            << " QT_QPA_PLATFORM=offscreen LD_PRELOAD=" << quoted(OSTRELCTL_NO_ADAPTERS)
            << " ASAN_OPTIONS=" << quoted(asan);
    if (!camera.empty() && camera != "none") {
        command << " OSTREL_SIMULATED_CAMERA=" << quoted(camera);
    }
    command << ' ' << quoted(OSTRELCTL_HOST) << " --script " << quoted(script.string());
    if (!select.empty()) {
        command << " --select " << quoted(select);
    }
    command << " 2>" << quoted((workDir / "stderr.txt").string());
    HostRun run;
    FILE* out = popen(command.str().c_str(), "r");
    if (out == nullptr) {
        return run;
    }
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, out)) > 0;) {
        text.append(chunk, n);
    }
    const int status = pclose(out);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        run.lines.push_back(line);
    }
    std::ifstream err(workDir / "stderr.txt");
    run.errors.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return run;
}

// `<*>` in an expected line matches any run of characters.
bool matches(const std::string& expected, const std::string& actual) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = expected.find("<*>", from)) != std::string::npos; from = at + 3) {
        parts.push_back(expected.substr(from, at - from));
    }
    parts.push_back(expected.substr(from));
    if (parts.size() == 1) {
        return expected == actual;
    }
    if (actual.compare(0, parts.front().size(), parts.front()) != 0) {
        return false;
    }
    size_t pos = parts.front().size();
    for (size_t k = 1; k + 1 < parts.size(); ++k) {
        pos = actual.find(parts[k], pos);
        if (pos == std::string::npos) {
            return false;
        }
        pos += parts[k].size();
    }
    const std::string& last = parts.back();
    return actual.size() >= pos + last.size() &&
           actual.compare(actual.size() - last.size(), last.size(), last) == 0;
}

class ScriptScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        workDir_ = fs::temp_directory_path() /
                   ("ostrelctl-script-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(workDir_);
        fs::create_directories(workDir_);
    }
    void TearDown() override { fs::remove_all(workDir_); }

    // Runs scripts/NAME.script and compares with scripts/NAME.expected.
    void expectScenario(const std::string& name) {
        const fs::path dir = OSTRELCTL_SCRIPTS;
        const HostRun run = runHost(dir / (name + ".script"), workDir_);
        const auto expected = readLines(dir / (name + ".expected"));
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        std::ostringstream got;
        for (const auto& l : run.lines) {
            got << l << '\n';
        }
        ASSERT_EQ(run.lines.size(), expected.size()) << got.str() << "--- stderr:\n" << run.errors;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_TRUE(matches(expected[i], run.lines[i]))
                << "line " << i + 1 << ": expected '" << expected[i] << "', got '" << run.lines[i]
                << "'\n"
                << got.str();
        }
    }

    fs::path workDir_;
};

TEST_F(ScriptScenario, EveryMethodFailsWithoutACamera) {
    expectScenario("no_camera");
}

TEST_F(ScriptScenario, EveryMethodOnAMonoCamera) {
    expectScenario("camera");
    // The saved image is an 8-bit BMP of the whole 1280 x 1024 frame, its
    // rows bottom-up as the format has them: the pattern's black number cell
    // in the top left corner is in the file's last row.
    const fs::path bmp = workDir_ / "frame.bmp";
    ASSERT_TRUE(fs::exists(bmp));
    ASSERT_EQ(fs::file_size(bmp), 1078u + 1280u * 1024u);
    std::ifstream in(bmp, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    const size_t bottomLeft = 1078;
    const size_t topLeft = 1078 + 1280u * 1023u;
    EXPECT_GT(file[bottomLeft], 100) << "bottom row: the white bar";
    EXPECT_LT(file[topLeft], 30) << "top row: the black number cell";
    EXPECT_FALSE(fs::exists(workDir_ / "frame.BMP"));
}

TEST_F(ScriptScenario, CancelledSelectionRestartsTheRunningCamera) {
    expectScenario("cancel_selection");
}

TEST_F(ScriptScenario, MalformedLineStopsBeforeAnyCall) {
    const fs::path script = workDir_ / "bad.script";
    std::ofstream(script) << "; camera: none\nAboutBox\nTQGetDevice one\nAboutBox\n";
    const HostRun run = runHost(script, workDir_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.lines.empty()) << run.lines.front();
    EXPECT_NE(run.errors.find("bad.script:3: nDevId of TQGetDevice is not a 32-bit integer"),
              std::string::npos)
        << run.errors;
}

}  // namespace
