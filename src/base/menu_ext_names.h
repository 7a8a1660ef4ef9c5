#pragma once
// The names under which the context-menu extension is known to the system,
// shared by the extension and by the main program that registers it and
// writes its two settings. Plain text, usable without windows.h.

// COM class KXMenuExt, interface IKXMenuExt and the type library, as text.
constexpr char kMenuExtClsidText[] = "{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
constexpr char kMenuExtIidText[] = "{2616170F-390A-4895-9348-65E5542E0365}";
constexpr char kMenuExtLibidText[] = "{06781E52-0A94-40D7-B79E-001579B9AF11}";

constexpr char kMenuExtProgId[] = "KXMExt.KXMenuExt.1";
constexpr char kMenuExtIndependentProgId[] = "KXMExt.KXMenuExt";
constexpr char kMenuExtDescription[] = "KXMenuExt Class";

// The class key below HKEY_CLASSES_ROOT; it holds the extension's settings.
constexpr char kMenuExtClassKey[] = "CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
// The same key of the machine's own registration, below HKEY_LOCAL_MACHINE.
constexpr char kMenuExtMachineClassKey[] =
    "Software\\Classes\\CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
constexpr char kExePathValue[] = "ExePath";
constexpr char kMenuCaptionValue[] = "CMenuCaption";

// The main program, looked for beside the extension when ExePath is unusable.
constexpr char kMainProgramName[] = "KXer.exe";
constexpr char kExtensionName32[] = "KXMExt.dll";
constexpr char kExtensionName64[] = "KXMExt64.dll";
