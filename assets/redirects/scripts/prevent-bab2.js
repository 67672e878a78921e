// Defuses BlockAdBlock as prevent-bab does (every check finds no ad blocker),
// and also holds on to its globals: pages that bundle a second copy of
// BlockAdBlock, or assign their own instance later, cannot replace
// BlockAdBlock and blockAdBlock with a detector that works. Assignments to
// them are ignored.
(function() {
    'use strict';

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self) {
        try {
            callback.call(self);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var BlockAdBlock = function(options) {
        this._options = {
            checkOnLoad: false,
            resetOnEnd: false,
            loopCheckTime: 50,
            loopMaxNumber: 5,
            debug: false,
        };
        this._var = {event: {detected: [], notDetected: []}};
        this.setOption(options);
        if (this._options.checkOnLoad) {
            this._checkOnLoad();
        }
    };
    BlockAdBlock.prototype._checkOnLoad = function() {
        var self = this;
        var check = function() {
            self.check();
        };
        if (!window.document || document.readyState === 'complete') {
            setTimeout(check, 1);
        } else {
            window.addEventListener('load', check);
        }
    };
    // setOption(name, value) or setOption({name: value, ...})
    BlockAdBlock.prototype.setOption = function(options, value) {
        if (value !== undefined) {
            this._options[options] = value;
        } else if (options && typeof options === 'object') {
            Object.assign(this._options, options);
        }
        return this;
    };
    // check(loop): the real check waits for its bait element; this one answers
    // "not detected" just as asynchronously.
    BlockAdBlock.prototype.check = function() {
        var self = this;
        setTimeout(function() {
            self.emitEvent(false);
        }, 1);
        return true;
    };
    BlockAdBlock.prototype.emitEvent = function(detected) {
        var callbacks = this._var.event[detected === true ? 'detected' : 'notDetected'];
        callbacks.slice().forEach(function(callback) {
            run(callback, this);
        }, this);
        if (this._options.resetOnEnd) {
            this.clearEvent();
        }
        return this;
    };
    BlockAdBlock.prototype.clearEvent = function() {
        this._var.event = {detected: [], notDetected: []};
    };
    BlockAdBlock.prototype.on = function(detected, callback) {
        if (typeof callback === 'function') {
            this._var.event[detected === true ? 'detected' : 'notDetected'].push(callback);
        }
        return this;
    };
    BlockAdBlock.prototype.onDetected = function(callback) {
        return this.on(true, callback);
    };
    BlockAdBlock.prototype.onNotDetected = function(callback) {
        return this.on(false, callback);
    };

    // Keeps `value` under `name` for the life of the page. When the page
    // already locked the name there is nothing this script can do about it.
    var hold = function(name, value) {
        try {
            Object.defineProperty(window, name, {
                configurable: false,
                enumerable: true,
                get: function() {
                    return value;
                },
                set: function() {},
            });
        } catch (error) {
            // Not configurable: left as the page made it.
        }
    };
    hold('BlockAdBlock', BlockAdBlock);
    hold('blockAdBlock', new BlockAdBlock({checkOnLoad: true, resetOnEnd: true}));
})();
