#include "qelpagecontainer.h"

#include "toolkit/designhost.h"

TQelPageContainer::TQelPageContainer(TDesignHost* host, QObject* parent)
    : QObject(parent)
    , host_(host)
{
}

int TQelPageContainer::count() const
{
    return host_->PageCount();
}

QWidget* TQelPageContainer::widget(int index) const
{
    return host_->Page(index);
}

int TQelPageContainer::currentIndex() const
{
    return host_->CurrentPage();
}

void TQelPageContainer::setCurrentIndex(int index)
{
    host_->SetCurrentPage(index);
}

void TQelPageContainer::addWidget(QWidget* page)
{
    host_->InsertPage(host_->PageCount(), page);
}

void TQelPageContainer::insertWidget(int index, QWidget* page)
{
    host_->InsertPage(index, page);
}

void TQelPageContainer::remove(int index)
{
    host_->RemovePage(index);
}

TQelExtensionFactory::TQelExtensionFactory(QExtensionManager* parent)
    : QExtensionFactory(parent)
{
}

QObject* TQelExtensionFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const
{
    if (iid != QLatin1String(Q_TYPEID(QDesignerContainerExtension)))
        return nullptr;
    auto* host = dynamic_cast<TDesignHost*>(object);
    return host && host->HoldsPages() ? new TQelPageContainer(host, parent) : nullptr;
}
