// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/DnsMessageJson.h"

#include "dns/DnsEdns.h"
#include "dns/DnsMessageWalk.h"
#include "platform/text/Utf8OrLatin1.h"

#include <QJsonArray>

namespace netsonde {

namespace {

QString Text(const QByteArray& bytes)
{
    return DecodeUtf8OrLatin1(bytes);
}

const char* SectionKey(DnsSection section)
{
    switch (section) {
    case DnsSection::Answer:
        return "answers";
    case DnsSection::Authority:
        return "authority";
    case DnsSection::Additional:
        return "additional";
    }
    return "";
}

QJsonObject HeaderObject(const DnsHeader& h)
{
    return QJsonObject{
        {"id", h.id},           {"qr", h.Response()},         {"opcode", h.Opcode()},         {"aa", h.Authoritative()},
        {"tc", h.Truncated()},  {"rd", h.RecursionDesired()}, {"ra", h.RecursionAvailable()}, {"z", h.Z()},
        {"rcode", h.Rcode()},   {"ad", h.AuthenticData()},    {"cd", h.CheckingDisabled()},   {"qdcount", h.qdCount},
        {"ancount", h.anCount}, {"nscount", h.nsCount},       {"arcount", h.arCount}};
}

// The fields of a line by name: numbers as numbers, texts as text.
void InsertFields(QJsonObject& object, const DnsFieldLine& fields)
{
    for (const DnsField& field : fields)
        object.insert(QLatin1String(field.key),
                      field.number ? QJsonValue(*field.number) : QJsonValue(Text(field.text)));
}

// {version, flags, udp_size, options: [{code, the option's fields}]}, with
// "error" when the last option was cut short.
QJsonObject EdnsObject(const DnsEdns& edns)
{
    QJsonObject object;
    InsertFields(object, EdnsFields(edns));
    QJsonArray options;
    for (const DnsEdnsOption& option : edns.options) {
        QJsonObject optionObject{{"code", option.code}};
        InsertFields(optionObject, EdnsOptionFields(option));
        options.append(optionObject);
    }
    object.insert(QStringLiteral("options"), options);
    if (edns.optionsCut)
        object.insert(QStringLiteral("error"), QLatin1String(kEdnsOptionsCutText));
    return object;
}

class DnsJsonWriter final : public IDnsMessageSink {
public:
    QJsonObject Finish()
    {
        StoreRecord();
        m_message.insert(QStringLiteral("questions"), m_questions);
        for (int section = 0; section < 3; ++section)
            m_message.insert(QLatin1String(SectionKey(static_cast<DnsSection>(section))), m_sections[section]);
        return m_message;
    }

    void Header(const DnsHeader& header, const DnsEdns* edns) override
    {
        m_message.insert(QStringLiteral("header"), HeaderObject(header));
        m_message.insert(QStringLiteral("edns"), edns ? QJsonValue(EdnsObject(*edns)) : QJsonValue());
    }

    void Question(const QByteArray& name, quint16 type, quint16 qclass) override
    {
        m_questions.append(QJsonObject{
            {"name", Text(name)}, {"type", Text(DnsTypeWord(type))}, {"type_number", type}, {"class", qclass}});
    }

    void SectionStart(DnsSection) override {}

    void RecordName(const DnsRecordPlace& place, const QByteArray& name) override
    {
        StoreRecord();
        m_section = static_cast<int>(place.section);
        m_record = QJsonObject{{"name", Text(name)}};
        m_hasRecord = true;
    }

    void RecordFields(quint16 type, quint16 rclass, quint32 ttl, quint16 rdLength) override
    {
        m_record.insert(QStringLiteral("type"), Text(DnsTypeWord(type)));
        m_record.insert(QStringLiteral("type_number"), type);
        m_record.insert(QStringLiteral("class"), rclass);
        m_record.insert(QStringLiteral("ttl"), DnsSigned32(ttl));
        m_record.insert(QStringLiteral("rdlength"), rdLength);
    }

    void RdataLine(const DnsFieldLine& fields) override
    {
        for (const DnsField& field : fields) {
            const QString key = QLatin1String(field.key);
            const QJsonValue value = field.number ? QJsonValue(*field.number) : QJsonValue(Text(field.text));
            if (!field.listed) {
                m_record.insert(key, value);
                continue;
            }
            QJsonArray list = m_record.value(key).toArray();
            list.append(value);
            m_record.insert(key, list);
        }
    }

    void RecordPresentation(const QByteArray& text) override
    {
        m_record.insert(QStringLiteral("presentation"), Text(text));
    }

    void Error(const QByteArray& text, bool endsMessage) override
    {
        if (endsMessage)
            m_message.insert(QStringLiteral("error"), Text(text));
        else
            m_record.insert(QStringLiteral("error"), Text(text));
    }

private:
    void StoreRecord()
    {
        if (m_hasRecord)
            m_sections[m_section].append(m_record);
        m_hasRecord = false;
    }

    QJsonObject m_message{{"header", QJsonValue::Null}, {"edns", QJsonValue::Null}};
    QJsonArray m_questions;
    QJsonArray m_sections[3];
    QJsonObject m_record;
    int m_section = 0;
    bool m_hasRecord = false;
};

} // namespace

QJsonObject DnsMessageJson(QByteArrayView message)
{
    DnsJsonWriter writer;
    WalkDnsMessage(message, writer);
    return writer.Finish();
}

} // namespace netsonde
