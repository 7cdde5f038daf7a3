#include "valuetypes.h"

namespace {

constexpr ValueTypeInfo kTypes[] = {
    {ValueType::Binary, "Binary", "i16_data", 0},
    {ValueType::Int, "Int", "i16_int", 4},
    {ValueType::Bool, "Bool", "i16_bool", 1},
    {ValueType::String, "String", "i16_string", 0},
    {ValueType::Date, "Date", "i16_date", 4},
    {ValueType::Time, "Time", "i16_time", 4},
    {ValueType::DateTime, "DateTime", "i16_datetime", 8},
    {ValueType::BitArray, "BitArray", "i16_data", 0},
    {ValueType::Int64, "Int64", "i16_int", 8},
    {ValueType::Enum, "Enum", "i16_enum", 4},
    {ValueType::UInt, "UInt", "i16_uint", 4},
    {ValueType::IPv4, "IPv4", "i16_network", 4},
    {ValueType::MAC, "MAC", "i16_network", 6},
    {ValueType::IPv6, "IPv6", "i16_network", 16},
    {ValueType::UInt64, "UInt64", "i16_uint", 8},
    {ValueType::Password, "Password", "i16_password", 0},
    {ValueType::Point, "", "", 4},
    {ValueType::Rect, "", "", 8},
    {ValueType::Size, "", "", 4},
    {ValueType::Section, "Section", "i16_folder", -1},
};

} // namespace

const ValueTypeInfo *valueTypeInfo(uint8_t code)
{
    for (const ValueTypeInfo &info : kTypes) {
        if (info.code == code)
            return &info;
    }
    return nullptr;
}

QString valueTypeName(uint32_t key)
{
    const ValueTypeInfo *info = valueTypeInfo(valueTypeOf(key));
    return info ? QString::fromLatin1(info->name) : QString();
}

QString valueTypeIconName(uint32_t key)
{
    const ValueTypeInfo *info = valueTypeInfo(valueTypeOf(key));
    return info ? QString::fromLatin1(info->iconName) : QString();
}

QString hexKeyText(uint32_t key)
{
    return QLatin1String("0x") + QString::number(key, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

int newValueSize(uint32_t key)
{
    const ValueTypeInfo *info = valueTypeInfo(valueTypeOf(key));
    return info ? info->newPayloadSize : -1;
}
