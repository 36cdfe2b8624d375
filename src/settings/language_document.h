#pragma once

#include "settings/checked_xml_reader.h"

#include <functional>
#include <optional>
#include <string>

// A language document:
//   <Language Native=".." Code=".." Author=".." Version=".." ...>
//     <Strings> <String Name="Key">text</String> ... </Strings>
//   </Language>

// The root's attributes, which the language dialog shows; a missing one reads as "".
struct LanguageHeader {
    std::string native;
    std::string code;
    std::string author;
    std::string version;
};

// Each String item of the first <Strings> under the root, in document order: its Name ("" when
// missing) and the text inside it, nested elements' text included.
using LanguageItemSink = std::function<void(std::string&& name, std::string&& text)>;

// Reads a language document in one streaming pass, nothing of it kept but what onItem takes.
// Throws std::runtime_error when the file cannot be read or is refused (readXmlFile,
// CheckedXmlReader); gives no value when its document element is not <Language>.
std::optional<LanguageHeader> readLanguageFile(const std::string& path,
                                               const LanguageItemSink& onItem = {});
