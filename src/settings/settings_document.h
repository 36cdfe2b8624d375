#pragma once

#include "settings/xml_element.h"

#include <optional>
#include <string>
#include <string_view>

// Typed views of the settings document:
//   <TarvoManager>
//     <Settings> <version type="string">...</version> ... fourteen more leaves </Settings>
//   </TarvoManager>
// Every leaf holds its value as text; its `type` attribute is kept as loaded and never read.

// One setting. The fifteen leaves differ only by their tag name, so one class serves them all.
using TXMLSettingLeaf = XmlElement;

class TXMLSettingsType : public XmlElement {
public:
    explicit TXMLSettingsType(const XmlElement& element) : XmlElement(element) {}
    TXMLSettingLeaf Get_version() { return child("version"); }
    TXMLSettingLeaf Get_SortTypeLeft() { return child("SortTypeLeft"); }
    TXMLSettingLeaf Get_SortTypeRight() { return child("SortTypeRight"); }
    TXMLSettingLeaf Get_SortTypeFTP() { return child("SortTypeFTP"); }
    TXMLSettingLeaf Get_LastFTP() { return child("LastFTP"); }
    TXMLSettingLeaf Get_MainWindowLeft() { return child("MainWindowLeft"); }
    TXMLSettingLeaf Get_MainWindowTop() { return child("MainWindowTop"); }
    TXMLSettingLeaf Get_MainWindowWidth() { return child("MainWindowWidth"); }
    TXMLSettingLeaf Get_MainWindowHeight() { return child("MainWindowHeight"); }
    TXMLSettingLeaf Get_LeftTabDir() { return child("LeftTabDir"); }
    TXMLSettingLeaf Get_RightTabDir() { return child("RightTabDir"); }
    TXMLSettingLeaf Get_Reserved1() { return child("Reserved1"); }
    TXMLSettingLeaf Get_Reserved2() { return child("Reserved2"); }
    TXMLSettingLeaf Get_Reserved3() { return child("Reserved3"); }
    TXMLSettingLeaf Get_Reserved4() { return child("Reserved4"); }
};

class TXMLTarvoManagerType : public XmlElement {
public:
    explicit TXMLTarvoManagerType(const XmlElement& element) : XmlElement(element) {}
    TXMLSettingsType Get_Settings() { return TXMLSettingsType(child("Settings")); }
};

// The document a first start writes, and the one used while the file cannot be read: one line
// of 987 characters, the leaves padded with blanks to 57 characters each.
inline constexpr std::string_view kDefaultSettingsText =
    "<TarvoManager>   "
    "\t<Settings>                             "
    "\t\t<version type=\"string\">Tarvo Manager v0_7x</version>   "
    "\t\t<SortTypeLeft type=\"string\">none</SortTypeLeft>        "
    "\t\t<SortTypeRight type=\"string\">none</SortTypeRight>      "
    "\t\t<SortTypeFTP type=\"string\">none</SortTypeFTP>          "
    "\t\t<LastFTP type=\"string\"></LastFTP>                      "
    "\t\t<MainWindowLeft type=\"int\">-1</MainWindowLeft>         "
    "\t\t<MainWindowTop type=\"int\">-1</MainWindowTop>           "
    "\t\t<MainWindowWidth type=\"int\">-1</MainWindowWidth>       "
    "\t\t<MainWindowHeight type=\"int\">-1</MainWindowHeight>     "
    "\t\t<LeftTabDir type=\"string\"></LeftTabDir>                "
    "\t\t<RightTabDir type=\"string\"></RightTabDir>              "
    "\t\t<Reserved1 type=\"string\"></Reserved1>                  "
    "\t\t<Reserved2 type=\"string\"></Reserved2>                  "
    "\t\t<Reserved3 type=\"string\"></Reserved3>                  "
    "\t\t<Reserved4 type=\"string\"></Reserved4>                  "
    "\t</Settings>                                                "
    "</TarvoManager>";

// Reads a settings document. Throws std::runtime_error with the reason when the file cannot be
// read or is not well-formed; gives no value when its document element is not <TarvoManager>.
std::optional<TXMLTarvoManagerType> LoadTarvoManager(const std::string& path);

// A fresh copy of the default document.
TXMLTarvoManagerType DefaultTarvoManager();
