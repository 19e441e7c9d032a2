// Creates components of one class by name. Constructing a factory registers
// it with the UI manager under its class name; the first registration of a
// name wins.
#pragma once

#include <string>

namespace Varnok {

class Component;

class ComponentFactory {
public:
    explicit ComponentFactory(const std::string& className);
    // Leaves the registry when it is the factory registered under its name.
    virtual ~ComponentFactory();
    ComponentFactory(const ComponentFactory&) = delete;
    ComponentFactory& operator=(const ComponentFactory&) = delete;

    // A new component; the caller owns it.
    virtual Component* Create() const = 0;

    const std::string& GetClassName() const { return m_className; }

private:
    std::string m_className;
};

// The usual factory: T's default constructor.
template <typename T>
class ComponentFactoryOf final : public ComponentFactory {
public:
    explicit ComponentFactoryOf(const std::string& className) : ComponentFactory(className) {}
    Component* Create() const override { return new T(); }
};

}  // namespace Varnok
