// Fails to compile when a Qt header is reachable through the store's include path or defines:
// the store is standard library only.
#if __has_include(<QtCore/qglobal.h>) || defined(QT_CORE_LIB) || defined(QT_VERSION)
#error "Qt is visible to orvenna_store; the store must use the standard library only"
#endif
