// Arbitrary bytes as a shell link file. The reader must refuse or read them without
// reading outside the data; a link it reads must survive a retarget and read back
// with the new target and its own texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/portable/PortableShellLinks.h"
#include "platform/portable/ShellLinkFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ShellLinkInfo info;
    std::string error;
    bool readable = ShellLinkInfoFromBytes(bytes, info, error);

    shelllink::LinkFile link;
    if (shelllink::Parse(bytes, link, error) != readable) __builtin_trap();
    if (!readable) return 0;

    // Every kind of new target, chosen by the input so that all are written.
    const std::string targets[] = {"C:\\Fuzz\\target.exe", "D:\\Папка\\文件.txt",
                                   "\\\\server\\share\\f.txt", ""};
    const std::string& target = targets[size % 4];
    shelllink::SetTarget(link, shelllink::Target{target, size % 8 < 4, 0x20, 3});
    shelllink::LinkFile back;
    if (!shelllink::Parse(shelllink::Serialize(link), back, error)) __builtin_trap();
    if (shelllink::TargetPath(back) != target) __builtin_trap();
    if (back.arguments != link.arguments || back.name != link.name ||
        back.workingDir != link.workingDir || back.iconLocation != link.iconLocation ||
        back.hotKey != link.hotKey || back.showCommand != link.showCommand)
        __builtin_trap();
    return 0;
}
