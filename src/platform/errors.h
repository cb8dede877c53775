// Errors that end a running event handler. Each carries its own text, which the
// error boundary shows in the standard error box.
#pragma once

#include <stdexcept>

#include <QString>

class TermivoError : public std::runtime_error
{
public:
    explicit TermivoError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// A text that is not a number where a number is required.
class ConvertError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

// An index outside a list (for example the header of an empty file).
class ListIndexError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

// A file that cannot be read, written or created.
class FileError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

// Runs one event handler's work inside the error boundary: any error it raises is
// shown in the standard error box and the program goes on. Returns false when the
// work ended by an error.
template <class F>
bool guarded(F&& work);

QString errorText(const std::exception& e);
void showErrorBox(const QString& text);

template <class F>
bool guarded(F&& work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        showErrorBox(errorText(e));
        return false;
    }
}
