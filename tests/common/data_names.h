// Names taken from data, each with whether it stays one path component: the
// cases of the name check and of every path built from such a name.
#pragma once

struct DataNameCase {
  const char16_t* name;
  bool plain;
};

inline constexpr DataNameCase kDataNameCases[] = {
    {u"Fuji Speedway", true}, {u"鈴鹿 Suzuka", true}, {u"Mt..Fuji", true},
    {u".hidden", true},       {u"", false},           {u".", false},
    {u"..", false},           {u"a/b", false},        {u"a\\b", false},
    {u"C:", false},           {u"tab\there", false},  {u"del\x7f", false},
};
