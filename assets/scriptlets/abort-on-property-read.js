function abortOnPropertyRead(source, args) {
  // Reading the property (a dotted chain from window) throws a ReferenceError,
  // so the script that wanted it stops right there. Objects of the chain that
  // the page has not created yet are waited for.
  try {
    const chain = typeof args[0] === 'string' ? args[0] : '';
    const parts = chain.split('.');
    if (chain === '' || parts.some((part) => part === '')) {
      return;
    }

    const isObjectLike = (value) =>
      (typeof value === 'object' && value !== null) || typeof value === 'function';

    function trapLeaf(owner, prop) {
      const existing = Object.getOwnPropertyDescriptor(owner, prop);
      if (existing && !existing.configurable) {
        return;
      }
      Object.defineProperty(owner, prop, {
        configurable: true,
        enumerable: existing ? existing.enumerable : true,
        get() {
          if (source.verbose) {
            console.log(`${source.name}: aborted a read of ${chain}`);
          }
          throw new ReferenceError(`${prop} is not defined`);
        },
        // Writes are dropped: what counts is that nobody reads it back.
        set() {},
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
        // that goes on down the chain once the page assigns it. An accessor
        // already there (another rule's trap) keeps doing its part.
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
