// The codec over a store: reads payloads with reg_get, writes with reg_set.
#include "valuecodec.h"

#include "store.h"

QVariant formatValue(zn::RegistryHandle *handle, uint32_t key, bool editMode, bool hex, const TagMap *tagMap)
{
    uint32_t length = 0;
    const uint8_t *payload = zn::reg_get(handle, key, &length);
    if (!payload)
        return QVariant();
    return formatPayload(key, QByteArrayView(payload, length), editMode, hex, tagMap);
}

bool parseValue(zn::RegistryHandle *handle, uint32_t key, const QVariant &value)
{
    QByteArray payload;
    if (!parsePayload(key, value, &payload))
        return false;
    return zn::reg_set(handle, key, payload.constData(), uint32_t(payload.size())) == 1;
}
