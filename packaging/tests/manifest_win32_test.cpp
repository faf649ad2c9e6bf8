// lumibox.exe's application manifest, read the way Windows reads it when it starts the
// program: an activation context made from the exe's manifest resource, then queried.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

const std::wstring kSettings = L"http://schemas.microsoft.com/SMI/";
// Windows 10 and 11.
constexpr GUID kWindows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};

struct ProgramManifest : ::testing::Test {
    HANDLE context = INVALID_HANDLE_VALUE;
    void SetUp() override {
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = LUMIBOX_EXE_PATH;
        request.lpResourceName = MAKEINTRESOURCEW(1);  // the manifest Windows reads when it starts the program
        context = CreateActCtxW(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no manifest resource, or it does not parse: " << GetLastError();
    }
    void TearDown() override {
        if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
    }
    std::wstring setting(const std::wstring& space, const wchar_t* name) const {
        wchar_t buffer[128] = {};
        SIZE_T written = 0;
        if (!QueryActCtxSettingsW(0, context, (kSettings + space).c_str(), name, buffer, 128, &written)) return L"(none)";
        return buffer;
    }
};

TEST_F(ProgramManifest, SettingsSupportedSystemAndRunLevel) {
    EXPECT_EQ(setting(L"2016/WindowsSettings", L"dpiAwareness"), L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"2005/WindowsSettings", L"dpiAware"), L"true/pm");
    EXPECT_EQ(setting(L"2016/WindowsSettings", L"longPathAware"), L"true");
    EXPECT_EQ(setting(L"2019/WindowsSettings", L"activeCodePage"), L"UTF-8");

    // The elements' size differs between Windows versions (MaxVersionTested came later), so
    // the identifier is looked for among them rather than at a fixed place.
    std::vector<unsigned char> buffer(1024);
    SIZE_T needed = 0;
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                             buffer.size(), &needed));
    EXPECT_GE(reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(buffer.data())->ElementCount, 1u);
    const auto* guid = reinterpret_cast<const unsigned char*>(&kWindows10);
    const auto end = buffer.begin() + static_cast<long>(std::min<SIZE_T>(needed, buffer.size()));
    EXPECT_NE(std::search(buffer.begin() + sizeof(DWORD), end, guid, guid + sizeof(GUID)), end);

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel{};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &runLevel, sizeof runLevel, &needed));
    EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
}

// Version 6 comes from the side-by-side store, version 5 from the system folder. (Wine's
// DllGetVersion says 5.81 for both, so the place is what tells.)
TEST_F(ProgramManifest, BringsCommonControlsSix) {
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    const HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    std::wstring place(path);
    for (wchar_t& c : place) c = static_cast<wchar_t>(towlower(c));
    EXPECT_NE(place.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos) << path;
    FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
}

}  // namespace
