#pragma once

#include "settings/xml_element.h"

#include <optional>
#include <string>

// Typed views of a language document:
//   <Language Native=".." Code=".." Author=".." Version=".." ...>
//     <Strings> <String Name="Key">text</String> ... </Strings>
//   </Language>

class TXMLStringType : public XmlElement {
public:
    using XmlElement::XmlElement;
    explicit TXMLStringType(const XmlElement& element) : XmlElement(element) {}
    std::string Get_Name() { return attribute("Name"); }
};

class TXMLStringsType : public XmlElement {
public:
    using XmlElement::XmlElement;
    explicit TXMLStringsType(const XmlElement& element) : XmlElement(element) {}
    int Count() const { return childCount("String"); }
    // Items are read in order, so the item after the last one read is found in one step; any
    // other is counted from the first.
    TXMLStringType Get_String(int index) const;

private:
    mutable QDomElement lastItem_;
    mutable int lastIndex_ = -1;
};

class TXMLLanguageType : public XmlElement {
public:
    using XmlElement::XmlElement;
    explicit TXMLLanguageType(const XmlElement& element) : XmlElement(element) {}
    std::string Get_Native() { return attribute("Native"); }
    std::string Get_Code() { return attribute("Code"); }
    std::string Get_Author() { return attribute("Author"); }
    std::string Get_Version() { return attribute("Version"); }
    TXMLStringsType Get_Strings();
};

// Reads a language document. Throws std::runtime_error when the file cannot be read or is not
// well-formed; gives no value when its document element is not <Language>.
std::optional<TXMLLanguageType> LoadLanguage(const std::string& path);
