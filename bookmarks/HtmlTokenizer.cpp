#include "HtmlTokenizer.h"

#include <algorithm>
#include <cstring>

namespace {

// Longer tag and attribute names are cut: none that matters is near this long.
constexpr int kNameCap = 24;
constexpr int kDeclarationCap = 64;

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

qint64 HtmlTokenizer::line()
{
    // Lines are counted only when asked for, up to where the reading is.
    if (m_position && m_position > m_counted) {
        m_line += std::count(m_counted, m_position, '\n');
        m_counted = m_position;
    }
    return m_line;
}

void HtmlTokenizer::feed(const char *data, qsizetype size)
{
    const char *p = data;
    const char *end = data + size;
    m_counted = data;
    while (p < end && !m_stopped) {
        m_position = p;
        // Text and quoted values are taken in bulk: they are most of a file's bytes.
        if (m_state == State::Data || m_state == State::ValueDouble || m_state == State::ValueSingle) {
            const char stop = m_state == State::Data ? '<' : m_state == State::ValueDouble ? '"' : '\'';
            const auto *found = static_cast<const char *>(std::memchr(p, stop, end - p));
            const char *until = found ? found : end;
            if (m_state != State::Data) {
                if (m_keepsValue)
                    m_value.append(p, until - p);
            } else if (until > p) {
                m_handler.text(p, until - p);
            }
            p = until;
            if (found) {
                ++p;
                if (m_state == State::Data) {
                    m_state = State::TagOpen;
                } else {
                    endAttribute();
                    m_state = State::BeforeAttrName;
                }
            }
            continue;
        }
        step(*p++);
    }
    m_position = p;
    line();
    m_position = nullptr;
}

void HtmlTokenizer::step(char c)
{
    switch (m_state) {
    case State::TagOpen:
        if (isLetter(c)) {
            m_end = false;
            m_name = QByteArray(1, lower(c));
            m_state = State::TagName;
        } else if (c == '/') {
            m_state = State::EndTagOpen;
        } else if (c == '!') {
            m_declaration.clear();
            m_state = State::Declaration;
        } else if (c == '?') {
            m_state = State::Bogus;
        } else {
            m_state = State::Data;
            m_handler.text("<", 1);
            if (c == '<')
                m_state = State::TagOpen;
            else
                m_handler.text(&c, 1);
        }
        return;
    case State::EndTagOpen:
        if (isLetter(c)) {
            m_end = true;
            m_name = QByteArray(1, lower(c));
            m_state = State::TagName;
        } else {
            m_state = c == '>' ? State::Data : State::Bogus;
        }
        return;
    case State::TagName:
        if (c == '>')
            endTag();
        else if (isBlank(c) || c == '/')
            m_state = State::BeforeAttrName;
        else if (m_name.size() < kNameCap)
            m_name.append(lower(c));
        return;
    case State::BeforeAttrName:
        if (c == '>')
            endTag();
        else if (!isBlank(c) && c != '/')
            startAttribute(c);
        return;
    case State::AttrName:
        if (isBlank(c) || c == '/' || c == '=' || c == '>') {
            resolveAttribute();
            if (c == '>') {
                endAttribute();
                endTag();
            } else {
                m_state = c == '=' ? State::BeforeAttrValue : State::AfterAttrName;
            }
        } else if (m_attributeName.size() < kNameCap) {
            m_attributeName.append(lower(c));
        }
        return;
    case State::AfterAttrName:
        if (c == '=') {
            m_state = State::BeforeAttrValue;
        } else if (!isBlank(c)) {
            endAttribute(); // the previous attribute had no value
            if (c == '>')
                endTag();
            else if (c == '/')
                m_state = State::BeforeAttrName;
            else
                startAttribute(c);
        }
        return;
    case State::BeforeAttrValue:
        if (c == '"') {
            m_state = State::ValueDouble;
        } else if (c == '\'') {
            m_state = State::ValueSingle;
        } else if (c == '>') {
            endAttribute();
            endTag();
        } else if (!isBlank(c)) {
            if (m_keepsValue)
                m_value.append(c);
            m_state = State::ValueUnquoted;
        }
        return;
    case State::ValueUnquoted:
        if (isBlank(c) || c == '>') {
            endAttribute();
            if (c == '>')
                endTag();
            else
                m_state = State::BeforeAttrName;
        } else if (m_keepsValue) {
            m_value.append(c);
        }
        return;
    case State::Declaration:
        if (c == '-' && m_declaration.isEmpty()) {
            m_state = State::DeclarationDash;
        } else if (c == '>') {
            m_state = State::Data;
            m_handler.declaration(m_declaration);
        } else if (m_declaration.size() < kDeclarationCap) {
            m_declaration.append(c);
        }
        return;
    case State::DeclarationDash:
        if (c == '-') {
            m_dashes = 0;
            m_state = State::Comment;
        } else {
            m_declaration = QByteArrayLiteral("-");
            m_state = State::Declaration;
            step(c);
        }
        return;
    case State::Comment:
        if (c == '>' && m_dashes >= 2)
            m_state = State::Data;
        m_dashes = c == '-' ? m_dashes + 1 : 0;
        return;
    case State::Bogus:
        if (c == '>')
            m_state = State::Data; // <?…> and the like, which HTML reads as comments
        return;
    case State::Data:
    case State::ValueDouble:
    case State::ValueSingle:
        return; // taken in bulk by feed()
    }
}

void HtmlTokenizer::startAttribute(char c)
{
    m_attributeName = QByteArray(1, lower(c));
    m_state = State::AttrName;
}

void HtmlTokenizer::resolveAttribute()
{
    m_keepsValue = !m_end && m_handler.keepsAttribute(m_name, m_attributeName);
    m_value.clear();
}

void HtmlTokenizer::endAttribute()
{
    if (m_keepsValue)
        m_attributes.push_back({m_attributeName, m_value});
    m_keepsValue = false;
    m_value.clear();
}

void HtmlTokenizer::endTag()
{
    m_state = State::Data;
    m_handler.tag(m_name, m_end, m_attributes);
    m_attributes.clear();
}
