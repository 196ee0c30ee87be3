// Fixture: Qt below the Qt layer.
#include <QWidget>
