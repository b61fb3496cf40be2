#pragma once

// How Windows knows the product is installed: its entry in Apps & Features (the uninstall
// key, in the registry's 64-bit view of HKLM) and the installer's copy that the entry's
// commands run.
namespace catalogue
{
// Below HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall; also the product code
// deployment tools (winget) match the entry by.
inline constexpr const char* uninstallKeyName = "AudioTarvosk.Ostrand";
inline constexpr const char* uninstallKeyParent = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The maker's name as Windows shows it beside the product.
inline constexpr const char* publisherName = "Audio Tarvosk";

// Where the copy of the installer lives, below the Program Files folder, and its name.
inline constexpr const char* copyFolderPath = "Audio Tarvosk/Ostrand";
inline constexpr const char* copyFileName = "vx_installer.exe";

// The arguments of the entry's commands: uninstall asking first, uninstall without a
// window or a question (deployment tools), and modify (the window, no arguments).
inline constexpr const char* uninstallArguments = "/uninstall=all /ask";
inline constexpr const char* quietUninstallArguments = "/uninstall=all";
} // namespace catalogue
