function abortOnPropertyWrite(source, args) {
  // Assigning the property (a dotted chain from window) throws a
  // ReferenceError, so the script that sets it up stops there; reading it
  // still answers what it held before.
  try {
    const chain = typeof args[0] === 'string' ? args[0] : '';
    const parts = chain.split('.');
    if (chain === '' || parts.some((part) => part === '')) {
      return;
    }

    const isObjectLike = (value) =>
      (typeof value === 'object' && value !== null) || typeof value === 'function';

    function lookupDescriptor(object, prop) {
      for (let o = object; o !== null && o !== undefined; o = Object.getPrototypeOf(o)) {
        const descriptor = Object.getOwnPropertyDescriptor(o, prop);
        if (descriptor) {
          return descriptor;
        }
      }
      return undefined;
    }

    function trapLeaf(owner, prop) {
      const existing = Object.getOwnPropertyDescriptor(owner, prop);
      if (existing && !existing.configurable) {
        return;
      }
      const inherited = lookupDescriptor(owner, prop);
      const value = inherited && 'value' in inherited ? inherited.value : undefined;
      Object.defineProperty(owner, prop, {
        configurable: true,
        enumerable: inherited ? inherited.enumerable : true,
        get() {
          return inherited && inherited.get ? inherited.get.call(this) : value;
        },
        set() {
          if (source.verbose) {
            console.log(`${source.name}: aborted a write of ${chain}`);
          }
          throw new ReferenceError(`${prop} is not defined`);
        },
      });
    }

    function trapChain(owner, path) {
      try {
        const prop = path[0];
        if (path.length === 1) {
          trapLeaf(owner, prop);
          return;
        }
        const rest = path.slice(1);
        const current = owner[prop];
        if (isObjectLike(current)) {
          trapChain(current, rest);
          return;
        }
        // The object is not there yet: hold the property with an accessor
        // that goes on down the chain once the page assigns it.
        const previous = Object.getOwnPropertyDescriptor(owner, prop);
        if (previous && !previous.configurable) {
          return;
        }
        let value = current;
        Object.defineProperty(owner, prop, {
          configurable: true,
          enumerable: true,
          get() {
            return previous && previous.get ? previous.get.call(this) : value;
          },
          set(next) {
            if (previous && previous.set) {
              previous.set.call(this, next);
            } else {
              value = next;
            }
            if (isObjectLike(next)) {
              trapChain(next, rest);
            }
          },
        });
      } catch (e) {
        // An object that cannot take the trap is left as it is.
      }
    }

    trapChain(window, parts);
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
