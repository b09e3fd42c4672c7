#include "ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#else
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace dbftest {

namespace {

const char* const kRoleOption = "--hestavo-child-role";

std::map<std::string, ChildBody>& roles()
{
    static std::map<std::string, ChildBody> registered;
    return registered;
}

int runRole(const std::vector<std::string>& argv)
{
    if (argv.size() < 3 || argv[1] != kRoleOption)
        return -1;
    const auto found = roles().find(argv[2]);
    if (found == roles().end()) {
        std::fprintf(stderr, "no child role \"%s\"\n", argv[2].c_str());
        return 98;
    }
    try {
        return found->second(ChildArgs(argv.begin() + 3, argv.end()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child role \"%s\": %s\n", argv[2].c_str(), e.what());
        return 99;
    }
}

} // namespace

ChildRole::ChildRole(const char* name, ChildBody body) { roles()[name] = body; }

bool meetAll(const std::vector<ChildProcess*>& children)
{
    for (ChildProcess* c : children)
        if (!c->heard())
            return false;
    for (ChildProcess* c : children)
        if (!c->letGo())
            return false;
    return true;
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

// One argument quoted the way the C runtime splits a command line again:
// backslashes are literal except before a quote.
std::wstring quoted(const std::wstring& arg)
{
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

bool writeByte(HANDLE h)
{
    const char c = 'x';
    DWORD put = 0;
    return WriteFile(h, &c, 1, &put, nullptr) && put == 1;
}

bool readByte(HANDLE h)
{
    char c = 0;
    DWORD got = 0;
    return ReadFile(h, &c, 1, &got, nullptr) && got == 1;
}

// Wine's own calls between Windows and Linux paths (absent on Windows).
using ToUnixName = char*(__cdecl*)(const wchar_t*);
using ToDosName = wchar_t*(__cdecl*)(const char*);

template <typename F>
F wineCall(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), name)));
}

std::wstring windowsPathOf(const std::string& linuxPath)
{
    const auto toDos = wineCall<ToDosName>("wine_get_dos_file_name");
    if (!toDos)
        return wide(linuxPath);
    wchar_t* dos = toDos(linuxPath.c_str());
    const std::wstring out = dos ? dos : wide(linuxPath);
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

std::string linuxArgument(const std::string& arg)
{
    const auto toUnix = wineCall<ToUnixName>("wine_get_unix_file_name");
    const bool windowsPath = arg.size() > 2 && arg[1] == ':' && (arg[2] == '\\' || arg[2] == '/');
    if (!toUnix || !windowsPath)
        return arg;
    char* unixName = toUnix(wide(arg).c_str());
    const std::string out = unixName ? unixName : arg;
    HeapFree(GetProcessHeap(), 0, unixName);
    return out;
}

} // namespace

std::string runLinuxProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workDir, int* status)
{
    // Wine starts a Linux program without handing it our pipes and without a
    // handle to wait on: a shell runs it, writes its output to a file and
    // then its exit code to another, and we wait for that one.
    const auto shellQuoted = [](const std::string& word) {
        std::string out = "'";
        for (char c : word)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    };
    const std::string outFile = workDir + "\\linux-output.txt";
    const std::string codeFile = workDir + "\\linux-status.txt";
    std::string script = shellQuoted(program);
    for (const std::string& a : args)
        script += " " + shellQuoted(linuxArgument(a));
    const std::string code = shellQuoted(linuxArgument(codeFile));
    script += " >" + shellQuoted(linuxArgument(outFile)) + " 2>&1; echo $? >" + code + ".tmp; mv " + code + ".tmp " + code;

    const std::wstring shell = windowsPathOf("/bin/sh");
    std::wstring command = quoted(shell) + L" -c " + quoted(wide(script));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(shell.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        if (status)
            *status = -1;
        return {};
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    const std::wstring codeName = wide(codeFile);
    for (int waited = 0; GetFileAttributesW(codeName.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited) {
        if (waited > 6000) { // two minutes
            if (status)
                *status = -1;
            return {};
        }
        Sleep(20);
    }
    const auto slurp = [](const std::string& path) {
        std::string text;
        HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        char buf[4096];
        DWORD got = 0;
        while (h != INVALID_HANDLE_VALUE && ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
            text.append(buf, got);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        DeleteFileW(wide(path).c_str());
        return text;
    };
    const std::string out = slurp(outFile);
    const std::string exitCode = slurp(codeFile);
    if (status)
        *status = std::atoi(exitCode.c_str());
    return out;
}

bool runChildRole(int, char**, int* exitCode)
{
    // The arguments as UTF-8, whatever the ANSI code page (paths may hold
    // Romanian letters).
    int n = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> argv;
    for (int i = 0; i < n; ++i)
        argv.push_back(utf8(wargv[i]));
    LocalFree(wargv);
    const int code = runRole(argv);
    if (code < 0)
        return false;
    *exitCode = code;
    return true;
}

bool tellParent() { return writeByte(GetStdHandle(STD_OUTPUT_HANDLE)); }
bool waitForParent() { return readByte(GetStdHandle(STD_INPUT_HANDLE)); }

struct ChildProcess::Impl {
    HANDLE process = nullptr;
    HANDLE toChild = nullptr;
    HANDLE fromChild = nullptr;
    bool killed = false;
};

ChildProcess::ChildProcess(const std::string& role, const ChildArgs& args) : m_impl(std::make_unique<Impl>())
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childIn = nullptr;
    HANDLE childOut = nullptr;
    if (!CreatePipe(&childIn, &m_impl->toChild, &inherit, 0) || !CreatePipe(&m_impl->fromChild, &childOut, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(m_impl->toChild, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_impl->fromChild, HANDLE_FLAG_INHERIT, 0);

    wchar_t self[32768];
    GetModuleFileNameW(nullptr, self, 32768);
    std::wstring command = quoted(self) + L" " + quoted(wide(kRoleOption)) + L" " + quoted(wide(role));
    for (const std::string& a : args)
        command += L" " + quoted(wide(a));

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = childIn;
    si.hStdOutput = childOut;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!started)
        throw std::runtime_error("CreateProcess failed: " + std::to_string(GetLastError()));
    CloseHandle(pi.hThread);
    m_impl->process = pi.hProcess;
}

ChildProcess::~ChildProcess()
{
    if (m_impl->process) {
        kill();
        wait();
    }
    closeInput();
    if (m_impl->fromChild)
        CloseHandle(m_impl->fromChild);
}

bool ChildProcess::heard() { return readByte(m_impl->fromChild); }
bool ChildProcess::letGo() { return m_impl->toChild && writeByte(m_impl->toChild); }

void ChildProcess::closeInput()
{
    if (m_impl->toChild) {
        CloseHandle(m_impl->toChild);
        m_impl->toChild = nullptr;
    }
}

int ChildProcess::wait()
{
    if (!m_impl->process)
        return -1;
    WaitForSingleObject(m_impl->process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(m_impl->process, &code);
    CloseHandle(m_impl->process);
    m_impl->process = nullptr;
    return m_impl->killed ? -1 : static_cast<int>(code);
}

void ChildProcess::kill()
{
    if (m_impl->process && TerminateProcess(m_impl->process, 137))
        m_impl->killed = true;
}

std::optional<int> ChildProcess::exitCodeIfEnded()
{
    if (m_impl->process && WaitForSingleObject(m_impl->process, 0) != WAIT_OBJECT_0)
        return std::nullopt;
    return wait();
}

#else // POSIX

namespace {

bool writeByte(int fd)
{
    const char c = 'x';
    for (;;) {
        const ssize_t n = ::write(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        return n == 1;
    }
}

bool readByte(int fd)
{
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        return n == 1;
    }
}

} // namespace

bool runChildRole(int argc, char** argv, int* exitCode)
{
    const int code = runRole(std::vector<std::string>(argv, argv + argc));
    if (code < 0)
        return false;
    *exitCode = code;
    return true;
}

bool tellParent() { return writeByte(STDOUT_FILENO); }
bool waitForParent() { return readByte(STDIN_FILENO); }

struct ChildProcess::Impl {
    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
};

ChildProcess::ChildProcess(const std::string& role, const ChildArgs& args) : m_impl(std::make_unique<Impl>())
{
    // A write to a child that has ended must fail, not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);

    std::vector<std::string> words = {"/proc/self/exe", kRoleOption, role};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&m_impl->pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    m_impl->toChild = in[1];
    m_impl->fromChild = out[0];
    if (rc != 0) {
        m_impl->pid = -1;
        throw std::runtime_error("posix_spawn failed");
    }
}

ChildProcess::~ChildProcess()
{
    if (m_impl->pid > 0) {
        kill();
        wait();
    }
    closeInput();
    if (m_impl->fromChild >= 0)
        ::close(m_impl->fromChild);
}

bool ChildProcess::heard() { return readByte(m_impl->fromChild); }
bool ChildProcess::letGo() { return m_impl->toChild >= 0 && writeByte(m_impl->toChild); }

void ChildProcess::closeInput()
{
    if (m_impl->toChild >= 0) {
        ::close(m_impl->toChild);
        m_impl->toChild = -1;
    }
}

int ChildProcess::wait()
{
    if (m_impl->pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(m_impl->pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_impl->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::kill()
{
    if (m_impl->pid > 0)
        ::kill(m_impl->pid, SIGKILL);
}

std::optional<int> ChildProcess::exitCodeIfEnded()
{
    if (m_impl->pid <= 0)
        return -1;
    int status = 0;
    if (::waitpid(m_impl->pid, &status, WNOHANG) != m_impl->pid)
        return std::nullopt;
    m_impl->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

} // namespace dbftest
