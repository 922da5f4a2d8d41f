#pragma once
// A .ui text as Qt Designer writes it: a form of class `formClass` named `formName`, 500 × 300,
// holding `body`.
#include <string>

inline std::string DesignerUi(
    const std::string& body, const std::string& formClass, const std::string& formName)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>)"
        + formClass + R"(</class>
 <widget class="QWidget" name=")"
        + formName + R"(">
  <property name="geometry"><rect><x>0</x><y>0</y><width>500</width><height>300</height></rect></property>
)" + body
        + R"(
 </widget>
</ui>
)";
}
