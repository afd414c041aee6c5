#include "engine/EngineError.h"

#include "support/FileError.h"

namespace korvane {

QString ExceptionMessage(const std::exception& e)
{
    if (const auto* engine = dynamic_cast<const EngineError*>(&e))
        return engine->message();
    if (const auto* file = dynamic_cast<const FileError*>(&e))
        return file->message();
    return QString::fromUtf8(e.what());
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return ExceptionMessage(e);
    } catch (...) {
        return QStringLiteral("Неизвестное исключение");
    }
}

} // namespace korvane
