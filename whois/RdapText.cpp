// SPDX-License-Identifier: GPL-3.0-or-later
#include "whois/RdapText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace netsonde {

namespace {

constexpr qsizetype kItemLimit = 100; // items read of one array
constexpr int kEntityDepthLimit = 3;  // entities inside entities
const QString kCutShort = QStringLiteral("Note: the answer is longer than shown\r\n");

// The text, bounded, one "Label: value" line at a time.
class TextWriter {
public:
    void Line(const QString& label, const QString& value)
    {
        const QString line = Clean(label) + QStringLiteral(": ") + Clean(value) + QStringLiteral("\r\n");
        if (value.trimmed().isEmpty() || m_full)
            return;
        m_full = m_text.size() + line.size() > kRdapTextLimit - kCutShort.size();
        m_text += m_full ? kCutShort : line;
    }
    void Plain(const QString& line) { m_text += Clean(line) + QStringLiteral("\r\n"); }
    QString Take() { return std::move(m_text); }

private:
    // One line of at most kRdapValueLimit characters: control characters become spaces.
    static QString Clean(const QString& value)
    {
        QString cleaned = value.left(kRdapValueLimit);
        for (QChar& character : cleaned) {
            if (character.unicode() < 0x20 || character.unicode() == 0x7f)
                character = QLatin1Char(' ');
        }
        return cleaned.trimmed();
    }

    QString m_text;
    bool m_full = false;
};

// Calls visit for each of the first kItemLimit items of an array; nothing for any other value.
template <typename Visit>
void ForItems(const QJsonValue& value, Visit visit)
{
    const QJsonArray items = value.toArray();
    for (qsizetype index = 0; index < items.size() && index < kItemLimit; ++index)
        visit(items.at(index));
}

// A string, or a whole number in decimal; empty for any other value.
QString Text(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    const double number = value.toDouble(0.5);
    const bool whole = value.isDouble() && std::abs(number) < 1e15 && number == double(qint64(number));
    return whole ? QString::number(qint64(number)) : QString();
}

// The strings of an array, or the one string, joined.
QString Joined(const QJsonValue& value, const QString& separator)
{
    QStringList parts;
    if (!value.isArray())
        parts << Text(value);
    ForItems(value, [&](const QJsonValue& item) { parts << Text(item); });
    parts.removeAll(QString());
    return parts.join(separator);
}

// A member that is a string; empty when it is anything else.
QString Member(const QJsonObject& object, const char* name)
{
    return object.value(QLatin1String(name)).toString();
}

// A member that is a string or a whole number.
QString NumberMember(const QJsonObject& object, const char* name)
{
    return Text(object.value(QLatin1String(name)));
}

bool HasRole(const QJsonObject& entity, const QString& role)
{
    bool found = false;
    ForItems(entity.value(QLatin1String("roles")), [&](const QJsonValue& item) { found |= item.toString() == role; });
    return found;
}

// The values of a vCard property (jCard, RFC 7095), in order.
QStringList CardValues(const QJsonObject& entity, const QString& property)
{
    QStringList values;
    ForItems(entity.value(QLatin1String("vcardArray")).toArray().at(1), [&](const QJsonValue& item) {
        const QJsonArray field = item.toArray();
        if (field.at(0).toString().compare(property, Qt::CaseInsensitive) != 0)
            return;
        const QString label = field.at(1).toObject().value(QLatin1String("label")).toString();
        QStringList parts;
        ForItems(field.at(3), [&](const QJsonValue& component) { parts << Joined(component, QStringLiteral(" ")); });
        parts.removeAll(QString());
        QString value = !label.isEmpty()        ? label
                        : field.at(3).isArray() ? parts.join(QStringLiteral(", "))
                                                : Text(field.at(3));
        if (property == QLatin1String("tel") && value.startsWith(QLatin1String("tel:")))
            value.remove(0, 4);
        values << value;
    });
    return values;
}

QString RoleLabel(const QString& role)
{
    if (role == QLatin1String("registrant"))
        return QStringLiteral("Registrant");
    if (role.isEmpty())
        return QStringLiteral("Contact");
    return role.left(1).toUpper() + role.mid(1) + QStringLiteral(" contact");
}

void RemarkLines(TextWriter& out, const QString& label, const QJsonValue& remarks)
{
    ForItems(remarks, [&](const QJsonValue& item) {
        const QJsonObject remark = item.toObject();
        out.Line(label, Member(remark, "title"));
        ForItems(remark.value(QLatin1String("description")),
                 [&](const QJsonValue& line) { out.Line(label, Text(line)); });
    });
}

// One entity's card under each of its roles but registrar, then the entities inside it.
void ContactLines(TextWriter& out, const QJsonValue& entities, int depth)
{
    if (depth > kEntityDepthLimit)
        return;
    ForItems(entities, [&](const QJsonValue& item) {
        const QJsonObject entity = item.toObject();
        ForItems(entity.value(QLatin1String("roles")), [&](const QJsonValue& role) {
            if (role.toString() == QLatin1String("registrar"))
                return;
            const QString label = RoleLabel(role.toString());
            for (const char* property : {"fn", "org", "email", "tel", "adr"}) {
                const QString suffix = QString::fromLatin1(property) == QLatin1String("fn")
                                           ? QString()
                                           : QStringLiteral(" ") + QLatin1String(property);
                for (const QString& value : CardValues(entity, QLatin1String(property)))
                    out.Line(label + suffix, value);
            }
            RemarkLines(out, label + QStringLiteral(" remark"), entity.value(QLatin1String("remarks")));
        });
        ContactLines(out, entity.value(QLatin1String("entities")), depth + 1);
    });
}

void RegistrarLines(TextWriter& out, const QJsonObject& object)
{
    ForItems(object.value(QLatin1String("entities")), [&](const QJsonValue& item) {
        const QJsonObject entity = item.toObject();
        if (!HasRole(entity, QStringLiteral("registrar")))
            return;
        for (const QString& name : CardValues(entity, QStringLiteral("fn")))
            out.Line(QStringLiteral("Registrar"), name);
        ForItems(entity.value(QLatin1String("publicIds")), [&](const QJsonValue& id) {
            if (Member(id.toObject(), "type") == QLatin1String("IANA Registrar ID"))
                out.Line(QStringLiteral("Registrar IANA ID"), NumberMember(id.toObject(), "identifier"));
        });
    });
}

void EventLines(TextWriter& out, const QJsonObject& object)
{
    const std::pair<const char*, QString> kinds[] = {{"registration", QStringLiteral("Registered")},
                                                     {"expiration", QStringLiteral("Expires")},
                                                     {"last changed", QStringLiteral("Last changed")}};
    for (const auto& kind : kinds) {
        ForItems(object.value(QLatin1String("events")), [&](const QJsonValue& item) {
            if (Member(item.toObject(), "eventAction") == QLatin1String(kind.first))
                out.Line(kind.second, Member(item.toObject(), "eventDate"));
        });
    }
}

void DomainLines(TextWriter& out, const QJsonObject& domain)
{
    const QString ldhName = Member(domain, "ldhName");
    const QString unicodeName = Member(domain, "unicodeName");
    out.Line(QStringLiteral("Domain name"), unicodeName.isEmpty() ? ldhName : unicodeName);
    if (!unicodeName.isEmpty() && unicodeName.compare(ldhName, Qt::CaseInsensitive) != 0)
        out.Line(QStringLiteral("ASCII name"), ldhName);
    out.Line(QStringLiteral("Status"), Joined(domain.value(QLatin1String("status")), QStringLiteral(", ")));
    RegistrarLines(out, domain);
    EventLines(out, domain);
    ForItems(domain.value(QLatin1String("nameservers")), [&](const QJsonValue& item) {
        out.Line(QStringLiteral("Name server"), Member(item.toObject(), "ldhName"));
    });
    const QJsonObject secure = domain.value(QLatin1String("secureDNS")).toObject();
    const QJsonValue signedValue = secure.value(QLatin1String("delegationSigned"));
    if (signedValue.isBool())
        out.Line(QStringLiteral("DNSSEC"),
                 signedValue.toBool() ? QStringLiteral("signed") : QStringLiteral("unsigned"));
    ForItems(secure.value(QLatin1String("dsData")), [&](const QJsonValue& item) {
        const QJsonObject ds = item.toObject();
        const QStringList fields{NumberMember(ds, "keyTag"), NumberMember(ds, "algorithm"),
                                 NumberMember(ds, "digestType"), Member(ds, "digest")};
        out.Line(QStringLiteral("DS record"), fields.join(QLatin1Char(' ')));
    });
}

void NetworkLines(TextWriter& out, const QJsonObject& network)
{
    const QString start = Member(network, "startAddress"), end = Member(network, "endAddress");
    out.Line(QStringLiteral("Range"), start.isEmpty() || end.isEmpty() ? start + end : start + " - " + end);
    ForItems(network.value(QLatin1String("cidr0_cidrs")), [&](const QJsonValue& item) {
        const QJsonObject cidr = item.toObject();
        const QString prefix = Member(cidr, "v4prefix") + Member(cidr, "v6prefix");
        out.Line(QStringLiteral("CIDR"), prefix.isEmpty() ? QString() : prefix + "/" + NumberMember(cidr, "length"));
    });
    out.Line(QStringLiteral("Name"), Member(network, "name"));
    out.Line(QStringLiteral("Type"), Member(network, "type"));
    out.Line(QStringLiteral("Country"), Member(network, "country"));
    out.Line(QStringLiteral("Parent"), Member(network, "parentHandle"));
    out.Line(QStringLiteral("Status"), Joined(network.value(QLatin1String("status")), QStringLiteral(", ")));
    EventLines(out, network);
}

void AutnumLines(TextWriter& out, const QJsonObject& autnum)
{
    const QString start = NumberMember(autnum, "startAutnum"), end = NumberMember(autnum, "endAutnum");
    if (start == end || end.isEmpty())
        out.Line(QStringLiteral("AS number"), start);
    else
        out.Line(QStringLiteral("AS range"), start + "-" + end);
    out.Line(QStringLiteral("Name"), Member(autnum, "name"));
    out.Line(QStringLiteral("Country"), Member(autnum, "country"));
    out.Line(QStringLiteral("Status"), Joined(autnum.value(QLatin1String("status")), QStringLiteral(", ")));
    EventLines(out, autnum);
}

void OtherObjectLines(TextWriter& out, const QJsonObject& object)
{
    out.Line(QStringLiteral("Object"), Member(object, "objectClassName"));
    out.Line(QStringLiteral("Handle"), Member(object, "handle"));
    out.Line(QStringLiteral("Name"), Member(object, "ldhName"));
    out.Line(QStringLiteral("Status"), Joined(object.value(QLatin1String("status")), QStringLiteral(", ")));
    EventLines(out, object);
}

void RedactionLines(TextWriter& out, const QJsonObject& object)
{
    ForItems(object.value(QLatin1String("redacted")), [&](const QJsonValue& item) {
        const QJsonObject name = item.toObject().value(QLatin1String("name")).toObject();
        const QString what = Member(name, "description") + Member(name, "type");
        const QString reason = Member(item.toObject().value(QLatin1String("reason")).toObject(), "description");
        out.Line(QStringLiteral("Redacted"), reason.isEmpty() ? what : what + " (" + reason + ")");
    });
}

void ObjectLines(TextWriter& out, const QJsonObject& object)
{
    const QString objectClass = Member(object, "objectClassName");
    if (objectClass == QLatin1String("domain"))
        DomainLines(out, object);
    else if (objectClass == QLatin1String("ip network"))
        NetworkLines(out, object);
    else if (objectClass == QLatin1String("autnum"))
        AutnumLines(out, object);
    else
        OtherObjectLines(out, object);
    ContactLines(out, object.value(QLatin1String("entities")), 1);
    RedactionLines(out, object);
    RemarkLines(out, QStringLiteral("Remark"), object.value(QLatin1String("remarks")));
    RemarkLines(out, QStringLiteral("Notice"), object.value(QLatin1String("notices")));
}

// The title and description lines of an error answer (RFC 9083, section 6).
void ServerMessageLines(TextWriter& out, const QJsonObject& error)
{
    out.Line(QStringLiteral("Server message"), Member(error, "title"));
    ForItems(error.value(QLatin1String("description")),
             [&](const QJsonValue& line) { out.Line(QStringLiteral("Server message"), Text(line)); });
}

} // namespace

QString RdapReadableText(const RdapAnswer& answer)
{
    TextWriter out;
    const QJsonObject object = QJsonDocument::fromJson(answer.body).object();
    if (answer.httpStatus == 404) {
        out.Plain(QStringLiteral("The server has no registration for ") + answer.query.left(kRdapValueLimit));
    } else if (answer.httpStatus == 429) {
        out.Plain(QStringLiteral("The server refuses more queries for now"));
        ServerMessageLines(out, object);
        const QString after = QString::fromLatin1(answer.retryAfter.left(100)).trimmed();
        bool seconds = false;
        after.toUInt(&seconds);
        out.Line(QStringLiteral("Retry after"), seconds ? after + QStringLiteral(" seconds") : after);
    } else if (answer.httpStatus < 200 || answer.httpStatus > 299) {
        out.Plain(QStringLiteral("The server answered HTTP %1").arg(answer.httpStatus));
        ServerMessageLines(out, object);
    } else if (object.isEmpty()) {
        out.Plain(QStringLiteral("The answer is not an RDAP object"));
    } else {
        ObjectLines(out, object);
    }
    QString text = out.Take();
    return text.isEmpty() ? QStringLiteral("The answer holds nothing to show\r\n") : text;
}

} // namespace netsonde
