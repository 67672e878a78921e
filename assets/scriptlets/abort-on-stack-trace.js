function abortOnStackTrace(source, args) {
  // Reading or writing a property throws a ReferenceError when the code doing
  // it matches: an anti-adblock script breaks off at its first step, while
  // the site's own uses of the same property keep working.
  // args: the property chain from window ("a.b.c"; objects on the way may be
  // created by the page later), and what the stack trace of the access must
  // contain: "inlineScript" (a <script> in the page itself),
  // "injectedScript" (code without a file: eval, new Function, injected
  // code), a file name or any other text, or "/regex/flags". Both are
  // required.
  try {
    let chain = String(args[0] ?? '').trim();
    const needle = String(args[1] ?? '').trim();
    if (chain.startsWith('window.')) {
      chain = chain.slice('window.'.length);
    }
    if (!/^[\w$]+(\.[\w$]+)*$/.test(chain) || needle === '') {
      return;
    }
    let stackMatches;
    const regex = /^\/(.+)\/([dimsuv]*)$/.exec(needle);
    if (regex) {
      try {
        const re = new RegExp(regex[1], regex[2]);
        stackMatches = (text) => re.test(text);
      } catch (e) {
        return;
      }
    } else {
      stackMatches = (text) => text.includes(needle);
    }
    if (typeof Error.captureStackTrace !== 'function') {
      return;
    }
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    // Inline scripts report the document's URL as theirs: the one it had when
    // they were parsed, before any history.pushState().
    const initialDocumentUrl = window.location.href.split('#')[0];

    // The stack above `accessor`, one line a frame. Frames from the page's
    // own inline scripts get "inlineScript" appended, frames of code with no
    // file "injectedScript", so that the argument can name them.
    const stackAbove = (accessor) => {
      const holder = {};
      const limit = Error.stackTraceLimit;
      const prepare = Error.prepareStackTrace;
      let text = '';
      try {
        // A page may shorten or reformat stack traces to hide its callers.
        Error.stackTraceLimit = 100;
        Error.prepareStackTrace = undefined;
        Error.captureStackTrace(holder, accessor);
        text = String(holder.stack);
      } finally {
        Error.stackTraceLimit = limit;
        Error.prepareStackTrace = prepare;
      }
      const documentUrls = [initialDocumentUrl, window.location.href.split('#')[0]];
      return text.split('\n').map((line) => line.trim()).filter((line) => line.startsWith('at '))
        .map((line) => {
          let where = line.slice(3);
          const inParens = /\((.*)\)$/.exec(where);
          if (inParens) {
            where = inParens[1];
          }
          // "eval at f (url:1:2), <anonymous>:3:4": the code itself is after the comma.
          const comma = where.lastIndexOf(', ');
          if (comma !== -1) {
            where = where.slice(comma + 2);
          }
          where = where.replace(/(:\d+){1,2}$/, '');
          if (documentUrls.includes(where)) {
            return `${line} inlineScript`;
          }
          if (where === '<anonymous>' || where === '') {
            return `${line} injectedScript`;
          }
          return line;
        }).join('\n');
    };

    const abortIfMatching = (accessor, what) => {
      let matching = false;
      try {
        matching = stackMatches(stackAbove(accessor));
      } catch (e) {
        // Unreadable stack: let the access through.
      }
      if (matching) {
        log(`aborted ${what} of ${chain}`);
        throw new ReferenceError(Math.random().toString(36).slice(2));
      }
    };

    const isObjectLike = (value) => value !== null &&
      (typeof value === 'object' || typeof value === 'function');

    // The property at the end of the chain: an accessor that checks every
    // read and write, keeping the value (or the native accessor) behind it.
    const trapProperty = (owner, prop) => {
      const own = Object.getOwnPropertyDescriptor(owner, prop);
      if (own && !own.configurable) {
        return;
      }
      let found = own;
      for (let proto = Object.getPrototypeOf(owner); !found && proto; proto = Object.getPrototypeOf(proto)) {
        found = Object.getOwnPropertyDescriptor(proto, prop);
      }
      const nativeGet = found?.get;
      const nativeSet = found?.set;
      let value = found && 'value' in found ? found.value : undefined;
      Object.defineProperty(owner, prop, {
        configurable: true,
        enumerable: own ? own.enumerable : true,
        get: function trappedGet() {
          abortIfMatching(trappedGet, 'a read');
          return nativeGet ? nativeGet.call(this) : value;
        },
        set: function trappedSet(newValue) {
          abortIfMatching(trappedSet, 'a write');
          if (nativeSet) {
            nativeSet.call(this, newValue);
          } else if (!nativeGet) {
            value = newValue;
          }
        },
      });
    };

    // Objects already trapped for a rest of the chain, so that a page setting
    // the same object twice does not stack traps.
    const trapped = new WeakMap();
    const trapChain = (owner, steps) => {
      const key = steps.join('.');
      const done = trapped.get(owner) ?? new Set();
      if (done.has(key)) {
        return;
      }
      done.add(key);
      trapped.set(owner, done);

      const [head, ...rest] = steps;
      if (rest.length === 0) {
        trapProperty(owner, head);
        return;
      }
      let current;
      try {
        current = owner[head];
      } catch (e) {
        return;
      }
      if (isObjectLike(current)) {
        trapChain(current, rest);
      }
      const own = Object.getOwnPropertyDescriptor(owner, head);
      if (own && (!own.configurable || own.get || own.set)) {
        return;
      }
      // The object on the way may not exist yet, or be replaced: whatever
      // the page puts there gets the rest of the chain trapped.
      Object.defineProperty(owner, head, {
        configurable: true,
        enumerable: own ? own.enumerable : true,
        get() {
          return current;
        },
        set(newValue) {
          current = newValue;
          if (isObjectLike(newValue)) {
            try {
              trapChain(newValue, rest);
            } catch (e) {
              // A frozen object keeps its property untrapped.
            }
          }
        },
      });
    };

    trapChain(window, chain.split('.'));
  } catch (e) {
    // Setting up never breaks the page; only the trapped access throws.
  }
}
