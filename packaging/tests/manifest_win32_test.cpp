// lumibox.exe's application manifest, read the way Windows reads it when it starts the
// program: an activation context made from the exe's manifest resource, then queried.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* k2005 = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr const wchar_t* k2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
constexpr const wchar_t* k2019 = L"http://schemas.microsoft.com/SMI/2019/WindowsSettings";
// Windows 10 and 11.
constexpr GUID kWindows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};

struct ProgramContext {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ProgramContext() {
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = LUMIBOX_EXE_PATH;
        request.lpResourceName = MAKEINTRESOURCEW(1);  // the manifest Windows reads when it starts the program
        handle = CreateActCtxW(&request);
    }
    ~ProgramContext() {
        if (handle != INVALID_HANDLE_VALUE) ReleaseActCtx(handle);
    }
};

std::wstring setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t buffer[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, space, name, buffer, 128, &written)) return L"(none)";
    return buffer;
}

}  // namespace

TEST(ProgramManifest, ParsesIntoAnActivationContextWithEverySetting) {
    const ProgramContext context;
    ASSERT_NE(context.handle, INVALID_HANDLE_VALUE) << "no manifest resource, or it does not parse: " << GetLastError();
    struct Case {
        const wchar_t* space;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {k2016, L"dpiAwareness", L"PerMonitorV2, PerMonitor"},
        {k2005, L"dpiAware", L"true/pm"},
        {k2016, L"longPathAware", L"true"},
        {k2019, L"activeCodePage", L"UTF-8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setting(context.handle, c.space, c.name), c.expected) << c.name;
    }
}

TEST(ProgramManifest, NamesWindows10AndRunsAsInvoker) {
    const ProgramContext context;
    ASSERT_NE(context.handle, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> buffer(1024);
    SIZE_T needed = 0;
    ASSERT_TRUE(QueryActCtxW(0, context.handle, nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                             buffer.size(), &needed));
    const auto* compatibility = reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(buffer.data());
    bool windows10 = false;
    for (DWORD i = 0; i < compatibility->ElementCount; ++i) {
        const COMPATIBILITY_CONTEXT_ELEMENT& element = compatibility->Elements[i];
        windows10 = windows10 || (element.Type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS &&
                                  std::memcmp(&element.Id, &kWindows10, sizeof(GUID)) == 0);
    }
    EXPECT_TRUE(windows10);

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel{};
    ASSERT_TRUE(QueryActCtxW(0, context.handle, nullptr, RunlevelInformationInActivationContext, &runLevel,
                             sizeof runLevel, &needed));
    EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
}

TEST(ProgramManifest, BringsCommonControlsSix) {
    const ProgramContext context;
    ASSERT_NE(context.handle, INVALID_HANDLE_VALUE);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context.handle, &cookie));
    const HMODULE controls = LoadLibraryW(L"comctl32.dll");
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(controls, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    EXPECT_EQ(getVersion(&version), S_OK);
    EXPECT_EQ(version.dwMajorVersion, 6u);
    FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
}
