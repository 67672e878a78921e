function logEval(source, args) {
  // Logs the code given to eval() and to the Function constructor, which
  // obfuscated ad and anti-adblock scripts use to unpack themselves. The code
  // still runs. eval() now runs in the global scope (as any replaced eval
  // does), which is what such scripts expect anyway.
  try {
    const nativeEval = window.eval;
    window.eval = new Proxy(nativeEval, {
      apply(target, thisArg, callArgs) {
        try {
          if (typeof callArgs[0] === 'string') {
            console.log(`${source.name}: eval(${callArgs[0]})`);
          }
        } catch (e) {
          // Logging never stops the call.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });

    function logFunction(callArgs) {
      try {
        const texts = Array.prototype.map.call(callArgs, (a) => String(a));
        console.log(`${source.name}: new Function(${texts.join(', ')})`);
      } catch (e) {
        // Logging never stops the call.
      }
    }

    const NativeFunction = window.Function;
    const LoggedFunction = new Proxy(NativeFunction, {
      apply(target, thisArg, callArgs) {
        logFunction(callArgs);
        return Reflect.apply(target, thisArg, callArgs);
      },
      construct(target, callArgs, newTarget) {
        logFunction(callArgs);
        return Reflect.construct(target, callArgs, newTarget === LoggedFunction ? target : newTarget);
      },
    });
    window.Function = LoggedFunction;
    // Scripts also reach the constructor as (function () {}).constructor.
    Object.defineProperty(NativeFunction.prototype, 'constructor', {
      configurable: true,
      enumerable: false,
      writable: true,
      value: LoggedFunction,
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
