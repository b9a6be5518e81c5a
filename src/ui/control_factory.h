#pragma once

#include <QHash>
#include <QUiLoader>

#include <functional>

namespace kestrion::ui {

class Skin;

// The control factory: builds the element names of the skin's layouts that are the tool's own
// controls. Names are compared without regard to case. A name the factory lists but cannot build
// yet, or any other unknown name, yields no widget and the element is left out of the tree.
class ControlFactory : public QUiLoader {
    Q_OBJECT
public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    // The skin, when given, builds the elements that stand for whole layouts of it.
    explicit ControlFactory(const Skin* skin = nullptr, QObject* parent = nullptr);

    // Registers (or replaces) the creator of an element or class name, e.g. a device object.
    void registerCreator(const QString& elementName, Creator creator);

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;

private:
    QWidget* createOwn(const QString& key, QWidget* parent);
    QWidget* buildTree(const QString& layoutName, QWidget* parent);
    QWidget* buildLightControl(QWidget* parent);

    const Skin* m_skin;
    QStringList m_stockWidgets;
    QHash<QString, Creator> m_creators;
    int m_treeDepth = 0;
};

}  // namespace kestrion::ui
