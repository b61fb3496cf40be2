#pragma once

namespace testing_support
{
struct EntryNameCase
{
    const char* name;
    const char* target; // relative to the bundle; nullptr: refused
};

// Entry names, for the bundle "Ostrand.vst3", and where each lands below the bundle
// (nullptr: refused). The build's archive check is held to the same table.
inline const EntryNameCase entryNameCases[] = {{"Ostrand.vst3", ""},
                                               {"Ostrand.vst3\\", ""},
                                               {"Ostrand.vst3\\Contents\\x64\\m.bin", "Contents/x64/m.bin"},
                                               {"Ostrand.vst3/Contents/a", "Contents/a"},
                                               {"Ostrand.vst3\\.hidden", ".hidden"},
                                               {"Ostrand.vst3\\console", "console"},
                                               {"Ostrand.vst3\\COM10", "COM10"},
                                               {"Ostrand.vst3\\a b.c", "a b.c"},
                                               {"Ostrand.vst3\\caf\xc3\xa9", "caf\xc3\xa9"},
                                               {"Other.vst3\\a", nullptr},
                                               {"Ostrand.vst3x\\a", nullptr},
                                               {"ostrand.vst3\\a", nullptr},
                                               {"\\Ostrand.vst3\\a", nullptr},
                                               {"/etc/passwd", nullptr},
                                               {"C:\\Ostrand.vst3", nullptr},
                                               {"Ostrand.vst3\\..\\..\\evil", nullptr},
                                               {"Ostrand.vst3\\a\\..\\b", nullptr},
                                               {"Ostrand.vst3\\.\\a", nullptr},
                                               {"Ostrand.vst3\\... \\a", nullptr},
                                               {"Ostrand.vst3\\a.", nullptr},
                                               {"Ostrand.vst3\\a ", nullptr},
                                               {"Ostrand.vst3\\\\a", nullptr},
                                               {"Ostrand.vst3\\D:evil", nullptr},
                                               {"Ostrand.vst3\\a:stream", nullptr},
                                               {"Ostrand.vst3\\aux", nullptr},
                                               {"Ostrand.vst3\\Con.txt", nullptr},
                                               {"Ostrand.vst3\\nul .tar.gz", nullptr},
                                               {"Ostrand.vst3\\COM1", nullptr},
                                               {"Ostrand.vst3\\lpt\xc2\xb9.dll", nullptr},
                                               {"Ostrand.vst3\\CONOUT$", nullptr},
                                               {"Ostrand.vst3\\a?b", nullptr},
                                               {"Ostrand.vst3\\a<b", nullptr},
                                               {"Ostrand.vst3\\a\tb", nullptr},
                                               {"Ostrand.vst3\\a\x7f", "a\x7f"},
                                               {"Ostrand.vst3\\caf\xe9", nullptr},
                                               {"Ostrand.vst3\\\xc0\xaf", nullptr},
                                               {"", nullptr},
                                               {"..", nullptr}};
} // namespace testing_support
